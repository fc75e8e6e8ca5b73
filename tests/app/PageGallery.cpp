// Shows one page of the real wizard for a screenshot: page_gallery PAGE DIR
// PAGE is "language" or "error". Writes DIR\ready with the window's rectangle once the page is up and
// keeps it up until DIR\done appears (or a minute has passed).
#include "CTesseraDlgTestPeer.h"
#include "framework/GdiPlusSession.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <chrono>
#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: page_gallery language|error DIR\n");
        return 2;
    }
    const std::wstring page = argv[1];
    const std::wstring folder = argv[2];
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"RICHED32.DLL");
    GdiPlusSession gdiplus;
    {
        CTesseraDlg dialog;
        dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor);
        if (!dialog.Create(IDD_TESSERA_DIALOG)) {
            return 1;
        }
        CTesseraDlgTestPeer peer(dialog);
        if (page == L"error") {
            NamedPage& reporter = peer.AddNamedPage(L"DownloadPageISV", PageKind::Download);
            auto languages = peer.Languages();
            // The texts each wizard type actually ends on: a failed installation, or a failed configuration.
            if (ConfigurationManager::Instance()->m_wizardType == WIZARD_ISV) {
                reporter.Report(languages->GetString("PAGE_ERROR_TITLE"), languages->GetString("PAGE_ERROR_TEXT"));
            } else {
                reporter.Report(languages->GetString("PAGE_CONFIGURATION_ERROR_TITLE"),
                                languages->GetString("PAGE_CONFIGURATION_ERROR_DESC"));
            }
        }
        PumpMessagesFor(std::chrono::milliseconds(1500));

        RECT rect{};
        GetWindowRect(dialog.m_hWnd, &rect);
        const std::wstring ready = folder + L"\\ready";
        if (FILE* file = _wfopen(ready.c_str(), L"w")) {
            std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top);
            std::fclose(file);
        }
        const std::wstring done = folder + L"\\done";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!PathFileExistsW(done.c_str()) && std::chrono::steady_clock::now() < deadline) {
            PumpMessagesFor(std::chrono::milliseconds(100));
        }
    }
    return 0;
}
