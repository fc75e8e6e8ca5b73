#include "eligibility/OfferFlowChecks.h"

#include "profile/ConfigurationManager.h"
#include "remote/Package.h"
#include "transfer/EncodingUtilities.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string Joined(const std::vector<std::string>& ids)
{
    std::string text;
    for (const std::string& id : ids) {
        text += (text.empty() ? "" : ",") + id;
    }
    return text;
}

}  // namespace

bool OfferFlowChecks::LimitReached() const
{
    return m_count >= m_maxOffers + ConfigurationManager::Instance()->m_offerAdjustment;
}

Refusal OfferFlowChecks::CheckBeforeAndAfter(const Package& offer,
                                             const std::vector<std::shared_ptr<Package>>& admitted) const
{
    const FlowRules& flow = offer.m_flow;
    if (flow.maxBefore < m_count) {
        return "SHOWED " + std::to_string(m_count) + " PRODUCTS BUT ONLY " + std::to_string(flow.maxBefore) +
               " ALLOWED BEFORE";
    }
    if (!flow.allowedBefore.empty() && !m_admittedIds.empty()) {
        std::vector<std::string> notAllowed;
        for (const std::string& id : m_admittedIds) {
            if (!Contains(flow.allowedBefore, Base62Encode(id))) {
                notAllowed.push_back(id);
            }
        }
        if (!notAllowed.empty()) {
            return "NOT ALLOWED AFTER " + Joined(notAllowed);
        }
    }
    // An extra slot lets the offer in whatever the earlier offers' rules about what follows them.
    if (ConfigurationManager::Instance()->m_offerAdjustment != 0) {
        return std::nullopt;
    }
    for (const auto& earlier : admitted) {
        const int after = static_cast<int>(admitted.size()) - earlier->m_position - 1;
        if (after >= earlier->m_flow.maxAfter) {
            return "ONLY " + std::to_string(earlier->m_flow.maxAfter) + " PRODUCTS ALLOWED TO BE SHOWN AFTER " +
                   earlier->m_adO;
        }
    }
    const std::string encoded = Base62Encode(offer.m_adO);
    std::vector<std::string> refusing;
    for (const auto& earlier : admitted) {
        if (!earlier->m_flow.allowedAfter.empty() && !Contains(earlier->m_flow.allowedAfter, encoded)) {
            refusing.push_back(earlier->m_adO);
        }
    }
    if (!refusing.empty()) {
        return "NOT ALLOWED AFTER " + Joined(refusing);
    }
    return std::nullopt;
}

Refusal OfferFlowChecks::CheckVertical(const Package& offer) const
{
    const int vertical = offer.m_vertical;
    if (m_verticals.count(vertical) == 0) {
        return std::nullopt;
    }
    return vertical == -1 ? "MULTIPLE OFFERS W/O VERTICAL" : "SAME VERTICAL OFFER ALREADY PRESENT";
}

Refusal OfferFlowChecks::CheckExclusive(const Package& offer) const
{
    if (offer.m_exclusive && m_count != 0) {
        return "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT";
    }
    return std::nullopt;
}

void OfferFlowChecks::Admit(const Package& offer)
{
    ++m_count;
    m_verticals.insert(offer.m_vertical);
    m_admittedIds.push_back(offer.m_adO);
    if (offer.m_flow.sied && m_count > 1) {
        ++ConfigurationManager::Instance()->m_offerAdjustment;
    }
}
