#pragma once

#include "framework/CWnd.h"

#include <richedit.h>

// A rich edit control of the "RichEdit20W" class; AfxInitRichEdit2 must have loaded its library before
// a dialog holding one is created.
class CRichEditCtrl : public CWnd {
public:
    BOOL SetAutoURLDetect(BOOL enable = TRUE) { return SendMessage(EM_AUTOURLDETECT, enable ? TRUE : FALSE) == 0; }
};
