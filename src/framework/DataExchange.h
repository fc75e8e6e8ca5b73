#pragma once

#include "framework/CString.h"

class CWnd;

// Moves data between a dialog's members and its controls (MFC's DoDataExchange).
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate) noexcept
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
    {
    }

    bool m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds a control member to the dialog's child window once; later exchanges leave it bound.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
void DDX_Text(CDataExchange* exchange, int id, CString& value);
void DDX_Check(CDataExchange* exchange, int id, int& value);
