// Shows one page of the real wizard for a screenshot: page_gallery PAGE[:LOCALE] DIR
// PAGE is "language", "error" or the name of a page that follows the configuration ("LicensePage");
// LOCALE ("es") switches the language once the page is up. Writes DIR\ready with the window's rectangle once the page is up and
// keeps it up until DIR\done appears (or a minute has passed).
#include "CTesseraDlgTestPeer.h"
#include "framework/AfxGlobals.h"
#include "framework/GdiPlus.h"
#include "framework/GdiPlusSession.h"
#include "framework/ImageLoading.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "WineEnvironment.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "transfer/DownloadMessages.h"
#include "resource.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using OfferList = std::vector<std::shared_ptr<Package>>;

// Two offers as a configuration brings them, the first with its picture.
OfferList GalleryOffers()
{
    OfferList offers;
    for (int index = 0; index < 2; ++index) {
        const nlohmann::json element{{"ad", {{"o", "nt-2291"}, {"f", "notes"}}},
                                     {"ps", {{"i", "offer-1.png"}, {"dn", "Notarra"}, {"u", "dl/notarra-setup.exe"},
                                             {"cp", "https://www.notarra.example/privacy"},
                                             {"ctu", "https://www.notarra.example/eula"}, {"v", 11}}}};
        offers.push_back(std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), element, false,
                                                   std::string(), index));
    }
    std::ifstream picture(std::filesystem::path(WineEnvironment::WindowsPathOfHostPath(TESSERA_OFFER_PICTURE)),
                          std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(picture)), std::istreambuf_iterator<char>());
    offers[0]->m_image = LoadImageFromBytes(bytes.data(), bytes.size());
    ConfigurationManager::Instance()->m_offerCount = static_cast<int>(offers.size());
    return offers;
}

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
        } else if (page != L"language") {
            // The configuration of a DLM run names the product and brings its picture.
            const auto configuration = ConfigurationManager::Instance();
            if (configuration->m_wizardType == WIZARD_DLM) {
                configuration->m_productTitle = L"Bramble Web";
                configuration->m_privacyUrl = L"https://www.kelvane.example/privacy";
                configuration->m_termsUrl = L"https://www.kelvane.example/terms";
                configuration->m_productImage = LoadImageResource(AfxGetResourceHandle(),
                                                                  MAKEINTRESOURCEW(IDR_IMAGE_LOGO), L"IMAGE_BLOB");
            }
            peer.ArriveAtLoadingPage();
            peer.Loading().m_completionHandler(page == L"ProductPage" ? GalleryOffers() : OfferList());
            PumpMessagesUntil([&peer] { return peer.PageCount() > 2; }, std::chrono::seconds(5));
            for (int index = 0; index < peer.PageCount(); ++index) {
                IPage& candidate = peer.Page(index);
                if (candidate.GetPageName() != page.c_str()) {
                    continue;
                }
                if (candidate.GetPageKind() == PageKind::Download) {
                    // Shown as it looks part way through a download, without starting one.
                    peer.Reveal(index);
                    candidate.SendMessage(WM_DOWNLOAD_PROGRESS, 40);
                } else {
                    peer.ShowPage(index);
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
