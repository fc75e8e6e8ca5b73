#pragma once

#include "framework/CWnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    BOOL SetMarquee(BOOL on, int intervalMs)
    {
        return static_cast<BOOL>(SendMessage(PBM_SETMARQUEE, static_cast<WPARAM>(on), intervalMs));
    }
    int SetState(int state) { return static_cast<int>(SendMessage(PBM_SETSTATE, static_cast<WPARAM>(state))); }
};
