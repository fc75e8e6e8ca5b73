#pragma once

#include "framework/CString.h"
#include "remote/BaseRequest.h"
#include "remote/FlowRules.h"
#include "remote/ParameterExpansion.h"
#include "remote/PnSettings.h"
#include "remote/UninstallTimeCheck.h"
#include "transfer/ExchangeLimits.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Gdiplus {
class Bitmap;
}
class Cancellation;
class ConfigurationManager;

// One installable item: the setup's own product or an offer. It reports what happens to it as
// numbered telemetry events, each sent on a thread of its own. Always owned by a std::shared_ptr
// (std::make_shared): a running send keeps its package alive.
class Package : public std::enable_shared_from_this<Package> {
public:
    // An event is posted at most this often: a failed status or a failed exchange gets one more attempt.
    static constexpr int kTelemetryAttempts = 2;
    // Every stage of one telemetry exchange. The service answers an event at once; a host that takes
    // longer than this is not answering.
    static constexpr ExchangeLimits kTelemetryLimits{std::chrono::seconds(2), std::chrono::seconds(2),
                                                     std::chrono::seconds(2), std::chrono::seconds(3)};

    // The main product package: the four texts are converted with the thread's ANSI code page.
    Package(const BaseRequest& baseRequest, bool isMainProduct, const CString& adO, const CString& adF,
            const CString& displayName, const CString& c, int position);
    // An offer from its element of the configuration's "o" array. Throws the JSON library's
    // exceptions for a missing key or a value of the wrong type; no half-built package remains.
    Package(const BaseRequest& baseRequest, const nlohmann::json& element, bool isMainProduct, const std::string& c,
            int position);
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Takes the base request made once the configuration has arrived and the product's final texts.
    void Refresh(const BaseRequest& baseRequest, const CString& adO, const CString& adF, const CString& displayName,
                 const CString& c);

    // Returns at once: a thread of its own posts the event in the background, kTelemetryAttempts times at
    // most. Nothing is sent once a closing event has been delivered. extra: a JSON object merged into the
    // event, or null for none.
    void SendEvent(int id, const nlohmann::json& extra);
    // Blocks until no send of this package is running.
    void WaitForEvents();
    // Sends of this package still running, read under the lock that guards the count.
    int PendingEvents();
    // Sends of every package still running.
    static int SendsRunning();
    // How the setup log names this package (UTF-8).
    std::string LogName() const;

    // The text with the placeholders of m_params replaced.
    std::string ExpandParameters(const std::string& text) const;
    // Where the offer's picture is fetched from; empty for the main product, which has none.
    CString ImageUrl() const;
    // For a "pn" offer that was shown: keeps it away for 180 days by writing the date until which it is
    // not shown at its "pnr" location below HKEY_LOCAL_MACHINE. Whether the record was written.
    bool WriteNoShowRecord() const;

    std::string m_adO;
    std::string m_adF;
    std::string m_displayName;
    std::string m_c;
    int m_position = 0;
    bool m_isMainProduct = false;
    // Decoded on the user-interface thread and released there before GDI+ shuts down.
    std::shared_ptr<Gdiplus::Bitmap> m_image;
    // The run the package belongs to: once it is cancelled (quit or Finish) the pause before a second
    // attempt is cut short. Set before the first event; without one the pause runs in full.
    std::shared_ptr<const Cancellation> m_run;
    FlowRules m_flow;
    PackageParameters m_params;

    // What the offer page shows and the download pages fetch and run.
    std::string m_imageName;
    std::string m_downloadUrl;
    // "ps"."sha256": the installer's digest as configured; empty when none was asked for.
    std::optional<std::string> m_sha256;
    PnSettings m_pn;
    std::string m_installArgs;
    std::string m_privacyUrl;
    std::string m_eulaUrl;
    std::atomic<int> m_vertical{0};
    bool m_exclusive = false;

    // Requirements on the machine (0, empty or false: none).
    std::int64_t m_minDiskMb = 0;
    std::int64_t m_minRamMb = 0;
    std::int64_t m_minCpuMhz = 0;
    int m_minOsVersion = 0;
    std::string m_minPlatformVersion;
    bool m_requireWin64 = false;
    bool m_requireChrome = false;
    bool m_requireNoChrome = false;
    bool m_checkIeVersion = false;
    std::vector<CString> m_blockingFiles;
    std::vector<CString> m_requiredFiles;
    std::vector<std::string> m_blockingProcesses;
    std::vector<std::wstring> m_blockingRegistryKeys;
    std::vector<std::wstring> m_requiredRegistryKeys;
    std::vector<std::wstring> m_blockingRegistryValues;
    std::vector<std::wstring> m_blockingRegistryData;
    std::vector<UninstallTimeCheck> m_uninstallTimeChecks;
    std::vector<std::wstring> m_excludedApps;
    std::vector<std::wstring> m_requiredApps;

    // Written by Refresh and read by the senders, both under m_eventMutex.
    BaseRequest m_baseRequest;
    nlohmann::json m_eventTemplate;
    // Read by callers of SendEvent while senders write it.
    std::atomic<bool> m_eventsClosed{false};

private:
    void BuildEventTemplate();
    // Runs on the thread launcher, so that the caller of SendEvent does not pay for creating the thread.
    static void StartSender(const std::shared_ptr<Package>& package, int id, const nlohmann::json& extra,
                            const std::shared_ptr<ConfigurationManager>& configuration);
    static void Send(std::shared_ptr<Package> package, int id, nlohmann::json extra,
                     std::shared_ptr<ConfigurationManager> configuration);
    void BeginSend();
    void EndSend();
    void PauseAfterFailure() const;

    std::mutex m_eventMutex;
    std::condition_variable m_eventsIdle;
    int m_pendingEvents = 0;
};
