#include "GalleryWizard.h"

#include "WineEnvironment.h"
#include "framework/AfxGlobals.h"
#include "framework/GdiPlus.h"
#include "framework/ImageLoading.h"
#include "framework/MessagePump.h"
#include "locale/LanguageManager.h"
#include "profile/ConfigurationManager.h"
#include "remote/ApiManager.h"
#include "remote/Package.h"
#include "resource.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

GalleryWizard::OfferList GalleryWizard::TwoOffers()
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

bool GalleryWizard::ArriveWithConfiguration(OfferList offers)
{
    const auto configuration = ConfigurationManager::Instance();
    if (configuration->m_wizardType == WIZARD_DLM) {
        configuration->m_productTitle = L"Bramble Web";
        configuration->m_privacyUrl = L"https://www.kelvane.example/privacy";
        configuration->m_termsUrl = L"https://www.kelvane.example/terms";
        configuration->m_productImage =
            LoadImageResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_IMAGE_LOGO), L"IMAGE_BLOB");
    }
    m_peer.ArriveAtLoadingPage();
    m_peer.Loading().m_completionHandler(std::move(offers));
    // The configured pages are created one per message; the first of them is shown after the last.
    return PumpMessagesUntil([this] { return m_peer.CurrentPage() == 2; }, std::chrono::seconds(5));
}

void GalleryWizard::Show(int index)
{
    const PageKind kind = m_peer.Page(index).GetPageKind();
    if (kind == PageKind::Loading || kind == PageKind::Download) {
        m_peer.Reveal(index);
    } else {
        m_peer.ShowPage(index);
    }
}

void GalleryWizard::ShowError(const char* titleKey, const char* textKey)
{
    if (!m_reporter) {
        m_reporter = &m_peer.AddNamedPage(L"DownloadPageISV", PageKind::Download);
    }
    const auto languages = m_peer.Languages();
    m_reporter->Report(languages->GetString(titleKey), languages->GetString(textKey));
}
