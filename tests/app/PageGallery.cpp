// Shows one page of the real wizard for a screenshot: page_gallery PAGE[:LOCALE] DIR
// PAGE is "language", "error" or the name of a page that follows the configuration ("LicensePage");
// LOCALE ("es") switches the language once the page is up. Writes DIR\ready with the window's rectangle once the page is up and
// keeps it up until DIR\done appears (or a minute has passed).
#include "GalleryWizard.h"
#include "framework/AfxGlobals.h"
#include "framework/GdiPlusSession.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "framework/PrivateMessages.h"
#include "resource.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <chrono>
#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: page_gallery language|error|PAGE_NAME[:LOCALE] DIR\n");
        return 2;
    }
    const std::wstring argument = argv[1];
    const std::size_t colon = argument.find(L':');
    const std::wstring page = argument.substr(0, colon);
    const std::wstring locale = colon == std::wstring::npos ? std::wstring() : argument.substr(colon + 1);
    const std::wstring folder = argv[2];
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    AfxInitRichEdit();
    AfxInitRichEdit2();
    GdiPlusSession gdiplus;
    {
        CTesseraDlg dialog;
        dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor);
        if (!dialog.Create(IDD_TESSERA_DIALOG)) {
            return 1;
        }
        GalleryWizard wizard(dialog);
        CTesseraDlgTestPeer& peer = wizard.Peer();
        if (page == L"error") {
            // The texts each wizard type actually ends on: a failed installation, or a failed configuration.
            if (ConfigurationManager::Instance()->m_wizardType == WIZARD_ISV) {
                wizard.ShowError("PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT");
            } else {
                wizard.ShowError("PAGE_CONFIGURATION_ERROR_TITLE", "PAGE_CONFIGURATION_ERROR_DESC");
            }
        } else if (page != L"language") {
            wizard.ArriveWithConfiguration(page == L"ProductPage" ? GalleryWizard::TwoOffers()
                                                                  : GalleryWizard::OfferList());
            for (int index = 0; index < peer.PageCount(); ++index) {
                IPage& candidate = peer.Page(index);
                if (candidate.GetPageName() != page.c_str()) {
                    continue;
                }
                wizard.Show(index);
                if (candidate.GetPageKind() == PageKind::Download) {
                    // As it looks part way through a download.
                    candidate.SendMessage(WM_DOWNLOAD_PROGRESS, 40);
                }
                break;
            }
        }
        if (!locale.empty()) {
            peer.Languages()->SetLanguage(LanguageManager::LocaleDisplayName(locale.c_str()));
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
