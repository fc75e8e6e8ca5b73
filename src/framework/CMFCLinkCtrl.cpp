#include "framework/CMFCLinkCtrl.h"

#include "framework/PaintContext.h"
#include "framework/SelectedObject.h"
#include "framework/WebAddress.h"
#include "framework/WindowContext.h"

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 238);

}  // namespace

CMFCLinkCtrl::CMFCLinkCtrl()
{
    m_messageMap.OnMessage(WM_PAINT, [this](WPARAM, LPARAM) { OnPaint(); return 0; });
    m_messageMap.OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) { return 1; });
    m_messageMap.OnMessage(WM_SETCURSOR, [](WPARAM, LPARAM) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    });
    m_messageMap.OnMessageOrDefault(WM_LBUTTONUP, [this](WPARAM, LPARAM, LRESULT&) {
        if (!m_url.IsEmpty()) {
            WebAddress::Open(m_url);
        }
        return false;
    });
}

HFONT CMFCLinkCtrl::UnderlinedFont()
{
    HFONT base = GetFont();
    if (!base) {
        base = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    if (m_underlinedFont.GetSafeHandle() && m_underlinedFrom == base) {
        return m_underlinedFont;
    }
    LOGFONTW font{};
    ::GetObjectW(base, sizeof(font), &font);
    font.lfUnderline = TRUE;
    m_underlinedFont.CreateFontIndirect(&font);
    m_underlinedFrom = base;
    return m_underlinedFont;
}

void CMFCLinkCtrl::SizeToContent(BOOL, BOOL)
{
    if (!m_hWnd) {
        return;
    }
    const CString text = GetWindowText();
    SIZE extent{};
    {
        const WindowContext dc(m_hWnd);
        const SelectedObject font(dc.Get(), UnderlinedFont());
        ::GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &extent);
    }
    // One pixel more than the text, so the last letter's underline is not cut off.
    SetWindowPos(nullptr, 0, 0, extent.cx + 1, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(TRUE);
}

void CMFCLinkCtrl::OnPaint()
{
    const PaintContext paint(m_hWnd);
    const HDC dc = paint.Get();
    RECT client;
    GetClientRect(&client);
    HWND parent = ::GetParent(m_hWnd);
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const SelectedObject font(dc, UnderlinedFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLinkColour);
    const CString text = GetWindowText();
    ::DrawTextW(dc, text, text.GetLength(), &client, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}
