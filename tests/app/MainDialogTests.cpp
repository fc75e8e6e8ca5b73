#include <doctest/doctest.h>

#include "BuildVariant.h"
#include "MessageBoxRecorder.h"
#include "WindowTestHelpers.h"
#include "app/CTesseraDlg.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <string>

namespace {

CString MenuItemText(HMENU menu, int position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return text;
}

CString g_aboutText;

void CALLBACK ReadAndCloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND about = FindWindowW(L"#32770", L"About Tessera");
    if (!about) {
        return;
    }
    wchar_t text[128] = {};
    GetDlgItemTextW(about, IDC_ABOUT_VERSION, text, 128);
    g_aboutText = text;
    KillTimer(nullptr, timer);
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

TEST_CASE("The main window opens with its title, icons, About item and accent band")
{
    MessageBoxRecorder boxes;
    CTesseraDlg dialog;
    dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor);
    REQUIRE(dialog.Create(IDD_TESSERA_DIALOG));
    CHECK(boxes.Requests().empty());

    CHECK(dialog.GetWindowText() == (IsIsvBuild() ? L"Bramble Web " : L"Setup"));
    CHECK(dialog.SendMessage(WM_GETICON, ICON_BIG) != 0);
    CHECK(dialog.SendMessage(WM_GETICON, ICON_SMALL) != 0);

    HMENU menu = dialog.GetSystemMenu(FALSE);
    const int count = GetMenuItemCount(menu);
    REQUIRE(count >= 2);
    CHECK(GetMenuItemID(menu, count - 1) == IDM_ABOUTBOX);
    CHECK(MenuItemText(menu, count - 1) == L"&About Tessera...");
    CHECK((GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR) != 0);

    HDC dc = GetDC(dialog.m_hWnd);
    const auto bandBrush = reinterpret_cast<HBRUSH>(dialog.SendMessage(
        WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BAND))));
    const int mode = GetBkMode(dc);
    const auto dialogBrush = reinterpret_cast<HBRUSH>(
        dialog.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog.m_hWnd)));
    ReleaseDC(dialog.m_hWnd, dc);
    CHECK(BrushColor(bandBrush) == RGB(127, 188, 66));
    CHECK(mode == TRANSPARENT);
    CHECK(BrushColor(dialogBrush) == RGB(255, 255, 255));

    CHECK_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_TITLE_LABEL)));
    CHECK(IsWindowVisible(GetDlgItem(dialog, IDC_PRODUCT_ICON)) == !IsIsvBuild());
    CHECK(IsWindowVisible(GetDlgItem(dialog, IDC_SEPARATOR)) == !IsIsvBuild());
    CHECK(IsWindowVisible(GetDlgItem(dialog, IDC_BAND)));

    SUBCASE("Enter does not close the wizard")
    {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        CHECK(IsWindow(dialog.m_hWnd));
    }

    SUBCASE("the About item opens the About box with the four-part version")
    {
        g_aboutText.Empty();
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ReadAndCloseAboutBox);
        dialog.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        KillTimer(nullptr, timer);
        CHECK(g_aboutText == CString(L"Tessera, Version ") + TESSERA_VERSION_TEXT_W);
    }
}

TEST_CASE("A second wizard refuses to start while the first holds the instance mutex")
{
    MessageBoxRecorder boxes;
    CTesseraDlg first;
    REQUIRE(first.Create(IDD_TESSERA_DIALOG));

    CTesseraDlg second;
    second.Create(IDD_TESSERA_DIALOG);
    CHECK(second.m_hWnd == nullptr);
    const auto requests = boxes.Requests();
    REQUIRE(requests.size() == 1);
    CHECK(requests[0].text == L"Another setup is already running, please close it and try again");
    CHECK(requests[0].caption == L"Error");
    CHECK(requests[0].type == (MB_ICONERROR | MB_SYSTEMMODAL));

    SUBCASE("once the first has closed, the next one starts normally")
    {
        first.SendMessage(WM_CLOSE);
        CHECK(first.m_hWnd == nullptr);
        boxes.Clear();
        CTesseraDlg third;
        REQUIRE(third.Create(IDD_TESSERA_DIALOG));
        CHECK(boxes.Requests().empty());
    }
}
