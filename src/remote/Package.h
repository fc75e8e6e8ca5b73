#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"
#include "remote/FlowRules.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace Gdiplus {
class Bitmap;
}
class ApiManager;
class ConfigurationManager;

// One installable item: the setup's own product or an offer. It reports what happens to it as
// numbered telemetry events, each sent on a thread of its own. Always owned by a std::shared_ptr
// (std::make_shared): a running send keeps its package alive.
class Package : public std::enable_shared_from_this<Package> {
public:
    // Keeps the thread of one send until it is detached.
    struct EventState {
        std::shared_ptr<std::thread> m_thread;
    };

    // The main product package: the four texts are converted with the thread's ANSI code page.
    Package(const BaseRequest& baseRequest, bool isMainProduct, const CString& adO, const CString& adF,
            const CString& displayName, const CString& c, int position);
    // Waits until no send of this package is running.
    ~Package();

    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Takes the base request made once the configuration has arrived and the product's final texts.
    void Refresh(const BaseRequest& baseRequest, const CString& adO, const CString& adF, const CString& displayName,
                 const CString& c);

    // Returns at once: a thread of its own posts the event in the background, twice at most. Nothing is sent once a
    // closing event has been delivered. extra: a JSON object merged into the event, or null for none.
    void SendEvent(int id, const nlohmann::json& extra);
    // Blocks until no send of this package is running.
    void WaitForEvents();
    // Sends still running, read under the lock that guards the count.
    int PendingEvents();
    // How the setup log names this package (UTF-8).
    std::string LogName() const;

    std::string m_adO;
    std::string m_adF;
    std::string m_displayName;
    std::string m_c;
    int m_position = 0;
    bool m_isMainProduct = false;
    std::shared_ptr<Gdiplus::Bitmap> m_image;
    FlowRules m_flow;

    // Written by Refresh and read by the senders, both under m_eventMutex.
    BaseRequest m_baseRequest;
    nlohmann::json m_eventTemplate;
    // Read by callers of SendEvent while senders write it.
    std::atomic<bool> m_eventsClosed{false};

private:
    void BuildEventTemplate();
    // Runs on the thread launcher, so that the caller of SendEvent does not pay for creating the thread.
    static void StartSender(const std::shared_ptr<Package>& package, int id, const nlohmann::json& extra,
                            const std::shared_ptr<ConfigurationManager>& configuration,
                            const std::shared_ptr<ApiManager>& api);
    static void Send(std::shared_ptr<Package> package, int id, nlohmann::json extra,
                     std::shared_ptr<ConfigurationManager> configuration, std::shared_ptr<ApiManager> api);
    void EndSend();

    std::mutex m_eventMutex;
    std::condition_variable m_eventsIdle;
    int m_pendingEvents = 0;
};
