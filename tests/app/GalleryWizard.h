#pragma once

#include "CTesseraDlgTestPeer.h"

#include <memory>
#include <vector>

class Package;

// The real main dialog brought to where its configuration has arrived, for the tools and checks that
// look at every page: a page is shown without starting the work it would start on arrival, and the
// error page shows the texts a failed run ends on.
class GalleryWizard {
public:
    using OfferList = std::vector<std::shared_ptr<Package>>;

    explicit GalleryWizard(CTesseraDlg& dialog) : m_peer(dialog) {}

    // Two offers as a configuration brings them, the first with its picture.
    static OfferList TwoOffers();

    // Delivers the configuration as the loading page does, for DLM with the product's name, legal
    // addresses and picture; true once the controller has appended the pages it brings.
    bool ArriveWithConfiguration(OfferList offers);
    // The loading and download pages are only revealed, so no request or download starts.
    void Show(int index);
    // The error page with the current language's texts of those keys, reported the way a page reports.
    void ShowError(const char* titleKey, const char* textKey);

    CTesseraDlgTestPeer& Peer() { return m_peer; }

private:
    CTesseraDlgTestPeer m_peer;
    NamedPage* m_reporter = nullptr;
};
