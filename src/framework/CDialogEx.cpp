#include "framework/CDialogEx.h"

namespace {

HINSTANCE ResourceModule()
{
    return GetModuleHandleW(nullptr);
}

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The messages whose result a dialog procedure returns itself rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return IsCtlColorMessage(message) || message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

}  // namespace

CDialogEx::CDialogEx(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialogEx::~CDialogEx()
{
    // Detach first, so the messages of the destruction no longer reach an object that is half gone.
    if (HWND window = m_hWnd) {
        Detach();
        if (IsWindow(window)) {
            ::DestroyWindow(window);
        }
    }
}

INT_PTR CDialogEx::DoModal()
{
    m_modal = true;
    const INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId),
                                           m_parent ? m_parent->m_hWnd : nullptr, &CDialogEx::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

BOOL CDialogEx::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    m_parent = parent;
    m_modal = false;
    HWND window = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId),
                                     parent ? parent->m_hWnd : nullptr, &CDialogEx::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

void CDialogEx::EndDialog(int result)
{
    if (!m_hWnd) {
        return;
    }
    if (m_modal) {
        ::EndDialog(m_hWnd, result);
    } else {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CDialogEx::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate != FALSE);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialogEx::SetBackgroundColor(COLORREF color, BOOL repaint)
{
    m_backgroundBrush.CreateSolidBrush(color);
    if (repaint && m_hWnd) {
        Invalidate();
    }
}

BOOL CDialogEx::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialogEx::OnOK()
{
    EndDialog(IDOK);
}

void CDialogEx::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialogEx::DoDataExchange(CDataExchange*) {}

HBRUSH CDialogEx::OnCtlColor(CDC* dc, CWnd*, UINT kind)
{
    if (!m_backgroundBrush.GetSafeHandle()) {
        return nullptr;
    }
    if (kind == CTLCOLOR_STATIC) {
        dc->SetBkMode(TRANSPARENT);
    }
    if (kind == CTLCOLOR_DLG || kind == CTLCOLOR_STATIC || kind == CTLCOLOR_BTN) {
        return m_backgroundBrush;
    }
    return nullptr;
}

INT_PTR CALLBACK CDialogEx::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialogEx*>(lParam);
        dialog->Attach(window);
    }
    auto* self = static_cast<CDialogEx*>(FromHandlePermanent(window));
    if (!self) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        self->Detach();
        return FALSE;
    }
    INT_PTR result = FALSE;
    Guarded([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

INT_PTR CDialogEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        return OnInitDialog();
    }
    if (IsCtlColorMessage(message)) {
        return HandleCtlColor(message, wParam, lParam);
    }

    LRESULT result = 0;
    bool handled = RouteToChild(message, wParam, lParam, result) ||
                   m_messageMap.Dispatch(message, wParam, lParam, result);
    if (!handled && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            handled = true;
        } else if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            handled = true;
        }
    }
    if (!handled) {
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    if (m_hWnd) {
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    }
    return TRUE;
}

bool CDialogEx::RouteToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND child = nullptr;
    if (message == WM_COMMAND) {
        child = reinterpret_cast<HWND>(lParam);
    } else if (message == WM_NOTIFY && lParam != 0) {
        child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    }
    CWnd* control = FromHandlePermanent(child);
    return control && control != this && control->OnChildNotify(message, wParam, lParam, result);
}

INT_PTR CDialogEx::HandleCtlColor(UINT message, WPARAM wParam, LPARAM lParam)
{
    CDC dc(reinterpret_cast<HDC>(wParam));
    HWND controlWindow = reinterpret_cast<HWND>(lParam);
    CWnd wrapper;
    CWnd* control = FromHandlePermanent(controlWindow);
    if (!control) {
        wrapper.m_hWnd = controlWindow;
        control = &wrapper;
    }
    const HBRUSH brush = OnCtlColor(&dc, control, message - WM_CTLCOLORMSGBOX);
    wrapper.m_hWnd = nullptr;
    return reinterpret_cast<INT_PTR>(brush);
}
