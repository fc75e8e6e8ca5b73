#pragma once

#include <memory>
#include <vector>

class Package;

// Decides which offer pages are passed over. When the user leaves a page (Accept, Decline, Skip
// All) and offer pages follow it, each of those offers is examined in turn against the run's sticky
// flags and its flow rules; those that must not be shown are passed over and reported (event 2 with
// the reason) as long as they are below the run's offer bound. It knows the offers and their rules
// only: how many offer pages follow the shown page is the caller's to say.
class OfferSequencer {
public:
    struct SkippedOffer {
        int index = 0;              // in the offer list
        const char* reason = "";
        bool reported = false;      // below the offer bound, so its event 2 was sent
    };
    struct Decision {
        int pagesToSkip = 0;
        std::vector<SkippedOffer> skipped;
    };

    void SetOffers(std::vector<std::shared_ptr<Package>> offers);
    const std::vector<std::shared_ptr<Package>>& Offers() const { return m_offers; }
    // The offer whose page is shown, or was examined last.
    int Cursor() const { return m_offerCursor; }

    // Decline or Skip All on the offer page at the cursor, before the pages after it are examined.
    void OnDecline(bool skipAll);
    // Examines the offers of the offer pages that directly follow the shown page (there are
    // offerPagesAhead of them) and says how many of those pages to pass over.
    Decision CountOfferPagesToSkip(int offerPagesAhead);

private:
    bool AnyStickyFlag() const { return m_skipAllClicked || m_skipAllAfterDecline || m_maxOffersExceeded; }
    const char* SkipReason(bool byDecline) const;

    std::vector<std::shared_ptr<Package>> m_offers;
    int m_offerCursor = 0;
    // Once set, never cleared: every later offer page is passed over.
    bool m_skipAllClicked = false;
    bool m_skipAllAfterDecline = false;
    bool m_maxOffersExceeded = false;
};
