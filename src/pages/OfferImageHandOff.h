#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class Package;

// Waits for the pictures of the admitted offers (and the DLM logo) and hands the offers on exactly
// once, when the last of them has arrived or failed. The fetch threads hold it, not the page, so a
// picture that comes in after the page has gone finds it still there.
class OfferImageHandOff {
public:
    using Handler = std::function<void(std::vector<std::shared_ptr<Package>>)>;

    // pending: the number of CompleteOne calls to expect, at least 1.
    OfferImageHandOff(std::vector<std::shared_ptr<Package>> offers, Handler handler, int pending);

    // One picture is in or has failed; the last one calls the handler with a copy of the offers, under
    // the lock, so no other completion can overtake it.
    void CompleteOne();

private:
    std::mutex m_mutex;
    int m_pending;
    const std::vector<std::shared_ptr<Package>> m_offers;
    const Handler m_handler;
};
