#include "app/OfferSequencer.h"

#include "framework/SetupLog.h"
#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"

#include <climits>

void OfferSequencer::SetOffers(std::vector<std::shared_ptr<Package>> offers)
{
    m_offers = std::move(offers);
}

void OfferSequencer::OnDecline(bool skipAll)
{
    if (skipAll) {
        m_skipAllClicked = true;
    }
    if (m_offerCursor >= 0 && m_offerCursor < static_cast<int>(m_offers.size()) &&
        m_offers[static_cast<std::size_t>(m_offerCursor)]->m_flow.saad) {
        m_skipAllAfterDecline = true;
    }
}

OfferSequencer::Decision OfferSequencer::CountOfferPagesToSkip(int offerPagesAhead)
{
    const auto configuration = ConfigurationManager::Instance();
    Decision decision;
    while (decision.pagesToSkip < offerPagesAhead) {
        ++m_offerCursor;
        if (m_offerCursor >= static_cast<int>(m_offers.size())) {
            break;
        }
        Package& offer = *m_offers[static_cast<std::size_t>(m_offerCursor)];
        bool byDecline = false;
        if (!AnyStickyFlag()) {
            if (configuration->m_offerDeclined && offer.m_flow.sied) {
                byDecline = true;
                // A skipped offer must not limit the ones after it.
                offer.m_flow.mo = INT_MAX;
                --configuration->m_offerAdjustment;
            }
            for (int earlier = 0; earlier < m_offerCursor; ++earlier) {
                if (m_offerCursor >= m_offers[static_cast<std::size_t>(earlier)]->m_flow.mo) {
                    m_maxOffersExceeded = true;
                    break;
                }
            }
        }
        if (!AnyStickyFlag() && !byDecline) {
            break;
        }
        SkippedOffer skipped{m_offerCursor, SkipReason(byDecline), m_offerCursor < configuration->m_maxOffers};
        if (skipped.reported) {
            offer.SendEvent(EventId::NotShown, {{EventKey::Reason, skipped.reason}});
        }
        LogEntry() << "Passed over " << offer.LogName() << ": " << skipped.reason;
        decision.skipped.push_back(skipped);
        ++decision.pagesToSkip;
    }
    return decision;
}

const char* OfferSequencer::SkipReason(bool byDecline) const
{
    if (m_skipAllClicked) {
        return "SKIP ALL CLICKED";
    }
    if (byDecline) {
        return "SKIPPED BECAUSE OF EARLIER DECLINE";
    }
    if (m_maxOffersExceeded) {
        return "EXCEEDED MAX NUMBER OF OFFERS IN FLOW";
    }
    return "SKIP ALL AFTER DECLINE OFFER DECLINED";
}
