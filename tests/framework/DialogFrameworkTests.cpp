#include <doctest/doctest.h>

#include "MessageBoxRecorder.h"
#include "WindowTestHelpers.h"
#include "framework/CButton.h"
#include "framework/CDialogEx.h"
#include "framework/CStatic.h"
#include "resource.h"

#include <stdexcept>

namespace {

// A button whose object claims its own clicks before the dialog sees them.
class SelfHandlingButton : public CButton {
public:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && m_claimClicks) {
            ++m_clicks;
            result = 0;
            return true;
        }
        return false;
    }
    bool m_claimClicks = false;
    int m_clicks = 0;
};

// The About box template serves as a small dialog with a static text and an OK button.
class ProbeDialog : public CDialogEx {
public:
    ProbeDialog() : CDialogEx(IDD_ABOUTBOX)
    {
        m_messageMap.OnCommand(IDOK, BN_CLICKED, [this] {
            ++m_okClicks;
            if (m_throwOnOk) {
                throw std::runtime_error("handler failure");
            }
        });
    }

    BOOL OnInitDialog() override
    {
        m_initialised = true;
        return CDialogEx::OnInitDialog();
    }

    void DoDataExchange(CDataExchange* exchange) override
    {
        DDX_Text(exchange, IDC_ABOUT_VERSION, m_text);
        DDX_Control(exchange, IDOK, m_okButton);
    }

    using CDialogEx::OnCtlColor;

    CString m_text = L"from the member";
    SelfHandlingButton m_okButton;
    bool m_initialised = false;
    bool m_throwOnOk = false;
    int m_okClicks = 0;
};

}  // namespace

TEST_CASE("A modeless dialog initialises, exchanges data and routes commands through its table")
{
    ProbeDialog dialog;
    REQUIRE(dialog.Create(IDD_ABOUTBOX));
    CHECK(dialog.m_initialised);
    CHECK(CWnd::FromHandlePermanent(dialog.m_hWnd) == &dialog);
    CHECK(CWnd::FromHandlePermanent(dialog.m_okButton.m_hWnd) == &dialog.m_okButton);

    SUBCASE("data moves into the controls at start and back on request")
    {
        CHECK(dialog.GetDlgItem(IDC_ABOUT_VERSION)->GetWindowText() == L"from the member");
        dialog.GetDlgItem(IDC_ABOUT_VERSION)->SetWindowText(L"typed");
        dialog.UpdateData(TRUE);
        CHECK(dialog.m_text == L"typed");
        CHECK(dialog.GetDlgItem(IDC_ABOUT_VERSION) == dialog.GetDlgItem(IDC_ABOUT_VERSION));
    }

    SUBCASE("a click reaches the table entry instead of closing the dialog")
    {
        dialog.m_okButton.SendMessage(BM_CLICK);
        CHECK(dialog.m_okClicks == 1);
        CHECK(IsWindow(dialog.m_hWnd));
    }

    SUBCASE("the control's own object is asked first")
    {
        dialog.m_okButton.m_claimClicks = true;
        dialog.m_okButton.SendMessage(BM_CLICK);
        CHECK(dialog.m_okButton.m_clicks == 1);
        CHECK(dialog.m_okClicks == 0);
    }

    SUBCASE("an exception in a handler stops at the window procedure")
    {
        dialog.m_throwOnOk = true;
        dialog.m_okButton.SendMessage(BM_CLICK);
        CHECK(dialog.m_okClicks == 1);
        CHECK(IsWindow(dialog.m_hWnd));
    }

    SUBCASE("Cancel without a table entry ends the dialog")
    {
        HWND window = dialog.m_hWnd;
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        CHECK_FALSE(IsWindow(window));
        CHECK(dialog.m_hWnd == nullptr);
        CHECK(dialog.m_okButton.m_hWnd == nullptr);
    }
}

TEST_CASE("A dialog's background colour paints the dialog and its static texts")
{
    ProbeDialog dialog;
    dialog.SetBackgroundColor(RGB(12, 34, 56));
    REQUIRE(dialog.Create(IDD_ABOUTBOX));
    HDC dc = GetDC(dialog.m_hWnd);
    const auto dialogBrush = reinterpret_cast<HBRUSH>(
        dialog.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog.m_hWnd)));
    HWND text = GetDlgItem(dialog.m_hWnd, IDC_ABOUT_VERSION);
    const auto staticBrush = reinterpret_cast<HBRUSH>(
        dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
    const int mode = GetBkMode(dc);
    ReleaseDC(dialog.m_hWnd, dc);
    CHECK(BrushColor(dialogBrush) == RGB(12, 34, 56));
    CHECK(BrushColor(staticBrush) == RGB(12, 34, 56));
    CHECK(mode == TRANSPARENT);
}

TEST_CASE("Message boxes go through the seam with owner, text, caption and flags")
{
    MessageBoxRecorder recorder(IDCANCEL);
    ProbeDialog dialog;
    REQUIRE(dialog.Create(IDD_ABOUTBOX));
    const int answer = dialog.MessageBox(L"question", L"caption", MB_OKCANCEL | MB_ICONQUESTION);
    CHECK(answer == IDCANCEL);
    const auto requests = recorder.Requests();
    REQUIRE(requests.size() == 1);
    CHECK(requests[0].owner == dialog.m_hWnd);
    CHECK(requests[0].text == L"question");
    CHECK(requests[0].caption == L"caption");
    CHECK(requests[0].type == (MB_OKCANCEL | MB_ICONQUESTION));
}
