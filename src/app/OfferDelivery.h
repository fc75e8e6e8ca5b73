#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>
#include <optional>
#include <vector>

class Package;

// Carries the admitted offers from whichever thread finished loading to the user-interface thread:
// the offers wait here under its lock and a message tells the dialog to take them. The loading code
// holds this object, not the dialog, so a delivery after the dialog has gone does no harm.
class OfferDelivery {
public:
    using Offers = std::vector<std::shared_ptr<Package>>;

    OfferDelivery(HWND dialog, UINT message);

    // Any thread: keeps the offers and posts the message, unless the wizard is closing.
    void Deliver(Offers offers);
    // User-interface thread: the delivered offers, once; nothing when none wait.
    std::optional<Offers> Take();
    // User-interface thread, on quitting: later deliveries are dropped.
    void Close();

private:
    std::mutex m_mutex;
    const HWND m_dialog;
    const UINT m_message;
    std::optional<Offers> m_offers;
    bool m_closed = false;
};
