#include "app/OfferDelivery.h"

OfferDelivery::OfferDelivery(HWND dialog, UINT message) : m_dialog(dialog), m_message(message)
{
}

void OfferDelivery::Deliver(Offers offers)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed) {
        return;
    }
    m_offers = std::move(offers);
    ::PostMessageW(m_dialog, m_message, 0, 0);
}

std::optional<OfferDelivery::Offers> OfferDelivery::Take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_offers, std::nullopt);
}

void OfferDelivery::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_offers.reset();
}
