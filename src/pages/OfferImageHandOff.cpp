#include "pages/OfferImageHandOff.h"

OfferImageHandOff::OfferImageHandOff(std::vector<std::shared_ptr<Package>> offers, Handler handler, int pending)
    : m_pending(pending), m_offers(std::move(offers)), m_handler(std::move(handler))
{
}

void OfferImageHandOff::CompleteOne()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pending <= 0) {
        return;
    }
    if (--m_pending == 0 && m_handler) {
        m_handler(m_offers);
    }
}
