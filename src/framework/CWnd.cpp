#include "framework/CWnd.h"

#include "framework/MessageBoxSeam.h"
#include "framework/SetupLog.h"

#include <string>

namespace {

constexpr wchar_t kObjectProperty[] = L"Tessera.CWnd";

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd && m_originalProc && IsWindow(m_hWnd)) {
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_originalProc));
    }
    Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    return window ? static_cast<CWnd*>(GetPropW(window, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND window)
{
    m_hWnd = window;
    SetPropW(window, kObjectProperty, this);
}

void CWnd::Detach()
{
    if (m_hWnd && IsWindow(m_hWnd) && GetPropW(m_hWnd, kObjectProperty) == this) {
        RemovePropW(m_hWnd, kObjectProperty);
    }
    m_hWnd = nullptr;
    m_originalProc = nullptr;
    m_temporaryChildren.clear();
}

bool CWnd::SubclassWindow(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window)) {
        return false;
    }
    Attach(window);
    m_originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = FromHandlePermanent(window);
    if (!self || !self->m_originalProc) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        const WNDPROC original = self->m_originalProc;
        self->Detach();
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (!Guarded([&] { result = self->WindowProc(message, wParam, lParam); })) {
        result = self->CallOriginalProc(message, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_messageMap.Dispatch(message, wParam, lParam, result)) {
        return result;
    }
    return CallOriginalProc(message, wParam, lParam);
}

LRESULT CWnd::CallOriginalProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_originalProc) {
        return CallWindowProcW(m_originalProc, m_hWnd, message, wParam, lParam);
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

void CWnd::ReportUnhandled(const char* what) noexcept
{
    try {
        LogEntry() << "Unhandled exception in a window procedure: " << (what ? what : "");
    } catch (...) {
        // Out of memory while reporting: nothing more can be done here.
    }
}

CWnd* CWnd::GetDlgItem(int id)
{
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child) {
        return nullptr;
    }
    if (CWnd* bound = FromHandlePermanent(child)) {
        return bound;
    }
    auto& wrapper = m_temporaryChildren[id];
    if (!wrapper) {
        wrapper = std::make_unique<CWnd>();
    }
    wrapper->m_hWnd = child;
    return wrapper.get();
}

CWnd* CWnd::GetParent() const
{
    return FromHandlePermanent(::GetParent(m_hWnd));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

void CWnd::SetWindowText(const CString& text)
{
    ::SetWindowTextW(m_hWnd, text);
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return CString(std::move(text));
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, width, height, flags);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint)
{
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::GetClientRect(LPRECT rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

CWnd* CWnd::SetFocus()
{
    return FromHandlePermanent(::SetFocus(m_hWnd));
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

HMENU CWnd::GetSystemMenu(BOOL revert) const
{
    return ::GetSystemMenu(m_hWnd, revert);
}

HICON CWnd::SetIcon(HICON icon, BOOL big)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (style == changed) {
        return FALSE;
    }
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

void CWnd::SetFont(HFONT font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
}

HFONT CWnd::GetFont() const
{
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT type)
{
    return ShowMessageBox(m_hWnd, text, caption, type);
}
