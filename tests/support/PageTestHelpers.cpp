#include "PageTestHelpers.h"

#include "resource.h"

CString ControlText(HWND page, int controlId)
{
    wchar_t text[4096] = {};
    GetDlgItemTextW(page, controlId, text, 4096);
    return text;
}

bool IsShownInItsPage(HWND control)
{
    return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ClickButton(HWND page, int controlId)
{
    SendMessageW(GetDlgItem(page, controlId), BM_CLICK, 0, 0);
}

ControlColors StaticColorsOf(HWND dialog, int controlId)
{
    HDC dc = GetDC(dialog);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId))));
    const int mode = GetBkMode(dc);
    ReleaseDC(dialog, dc);
    return {brush, mode};
}

PageHost::PageHost() : CDialogEx(IDD_TESSERA_DIALOG)
{
    SetBackgroundColor(RGB(255, 255, 255));
    Create(IDD_TESSERA_DIALOG);
}
