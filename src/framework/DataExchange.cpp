#include "framework/DataExchange.h"

#include "framework/CWnd.h"

void DDX_Control(CDataExchange* exchange, int id, CWnd& control)
{
    if (!control.m_hWnd) {
        control.SubclassDlgItem(static_cast<UINT>(id), exchange->m_pDlgWnd);
    }
}

void DDX_Text(CDataExchange* exchange, int id, CString& value)
{
    CWnd* item = exchange->m_pDlgWnd->GetDlgItem(id);
    if (!item) {
        return;
    }
    if (exchange->m_bSaveAndValidate) {
        value = item->GetWindowText();
    } else {
        item->SetWindowText(value);
    }
}

void DDX_Check(CDataExchange* exchange, int id, int& value)
{
    HWND item = GetDlgItem(exchange->m_pDlgWnd->m_hWnd, id);
    if (!item) {
        return;
    }
    if (exchange->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(item, BM_GETCHECK, 0, 0));
    } else {
        SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}
