#pragma once

#include "eligibility/Refusal.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class Package;

// The rules about the other offers of the run: the offer limit, the offers allowed before and after
// an offer, one offer per vertical and exclusive offers; and admitting an offer.
class OfferFlowChecks {
public:
    explicit OfferFlowChecks(int maxOffers) : m_maxOffers(maxOffers) {}

    // The run has admitted as many offers as it may (the extra slots included).
    bool LimitReached() const;
    Refusal CheckBeforeAndAfter(const Package& offer, const std::vector<std::shared_ptr<Package>>& admitted) const;
    Refusal CheckVertical(const Package& offer) const;
    Refusal CheckExclusive(const Package& offer) const;
    void Admit(const Package& offer);

    int Count() const { return m_count; }
    int MaxOffers() const { return m_maxOffers; }

private:
    int m_count = 0;
    int m_maxOffers;
    std::unordered_set<int> m_verticals;
    std::vector<std::string> m_admittedIds;
};
