#pragma once

#include "framework/CString.h"
#include "framework/MessageMap.h"

#include <windows.h>

#include <exception>
#include <map>
#include <memory>

// Wraps a window handle. It owns nothing but the association with the HWND: the window itself belongs
// to whoever created it. A CWnd attached to a window is found again from the window (FromHandlePermanent).
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    static CWnd* FromHandlePermanent(HWND window);

    // Routes the window's messages through this object (used for controls bound by DDX_Control).
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, CWnd* parent);

    // The object of a child control: the bound member when there is one, otherwise a wrapper kept by
    // this window for as long as it lives.
    CWnd* GetDlgItem(int id);
    CWnd* GetParent() const;
    int GetDlgCtrlID() const;

    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    void GetWindowText(CString& text) const { text = GetWindowText(); }
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ScreenToClient(LPRECT rect) const;
    CWnd* SetFocus();
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow();
    HMENU GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL big);
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    DWORD GetStyle() const;
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL DestroyWindow();

    // Goes through the message-box seam, so tests can answer instead of a user.
    int MessageBox(const CString& text, const CString& caption = CString(), UINT type = MB_OK);

    // A parent offers WM_COMMAND and WM_NOTIFY to the control's object first; true means handled.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Messages of a subclassed window; the default runs the message map, then the original procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginalProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Attach(HWND window);
    void Detach();

    // No exception may leave a window procedure: the one barrier every dispatch goes through.
    template <class Function>
    static bool Guarded(Function&& function) noexcept
    {
        try {
            function();
            return true;
        } catch (const std::exception& error) {
            ReportUnhandled(error.what());
        } catch (...) {
            ReportUnhandled("unknown exception");
        }
        return false;
    }

    MessageMap m_messageMap;

private:
    static void ReportUnhandled(const char* what) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_originalProc = nullptr;
    std::map<int, std::unique_ptr<CWnd>> m_temporaryChildren;
};
