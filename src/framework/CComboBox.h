#pragma once

#include "framework/CWnd.h"

class CComboBox : public CWnd {
public:
    int AddString(const CString& text);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    CString GetLBText(int index) const;
    void ResetContent();
};
