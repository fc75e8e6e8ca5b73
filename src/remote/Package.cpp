#include "remote/Package.h"

#include "framework/Cancellation.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/JsonExchange.h"
#include "remote/OfferElement.h"
#include "remote/TelemetryEvent.h"
#include "remote/TelemetryNames.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryPaths.h"
#include "remote/ThreadLauncher.h"
#include "transfer/EncodingUtilities.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace {

// A send that failed is tried once more after this, or at once when the run has ended.
constexpr auto kTelemetryRetryPause = std::chrono::milliseconds(5000);

// Sends of every package still running.
std::atomic<int> g_sendsRunning{0};

}  // namespace

Package::Package(const BaseRequest& baseRequest, bool isMainProduct, const CString& adO, const CString& adF,
                 const CString& displayName, const CString& c, int position)
    : m_adO(ToAnsi(adO)),
      m_adF(ToAnsi(adF)),
      m_displayName(ToAnsi(displayName)),
      m_c(ToAnsi(c)),
      m_position(position),
      m_isMainProduct(isMainProduct),
      m_baseRequest(baseRequest)
{
    BuildEventTemplate();
}

Package::Package(const BaseRequest& baseRequest, const nlohmann::json& element, bool isMainProduct,
                 const std::string& c, int position)
    : m_c(c), m_position(position), m_isMainProduct(isMainProduct), m_baseRequest(baseRequest)
{
    OfferElement::Read(element, *this);
    BuildEventTemplate();
}

void Package::Refresh(const BaseRequest& baseRequest, const CString& adO, const CString& adF,
                      const CString& displayName, const CString& c)
{
    // An earlier event (event 1) may still be on its way and copying the template.
    std::lock_guard lock(m_eventMutex);
    m_baseRequest = baseRequest;
    m_isMainProduct = true;
    m_adO = ToAnsi(adO);
    m_adF = ToAnsi(adF);
    m_displayName = ToAnsi(displayName);
    m_c = ToAnsi(c);
    m_position = 0;
    BuildEventTemplate();
}

void Package::BuildEventTemplate()
{
    nlohmann::json eventTemplate = m_baseRequest.event;
    if (m_isMainProduct) {
        eventTemplate[EventKey::PackageId] = m_baseRequest.event.value(EventKey::ProductTitle, nlohmann::json(""));
        eventTemplate[EventKey::PackageKind] = PackageKind::MainProduct;
        eventTemplate[EventKey::PackageAdF] = "";
    } else {
        eventTemplate[EventKey::PackageId] = m_adO;
        eventTemplate[EventKey::PackageKind] = PackageKind::Offer;
        eventTemplate[EventKey::PackageC] = m_c;
        eventTemplate[EventKey::PackagePosition] = std::to_string(m_position + 1);
        eventTemplate[EventKey::PackageAdF] = m_adF;
    }
    m_eventTemplate = std::move(eventTemplate);
}

void Package::SendEvent(int id, const nlohmann::json& extra)
{
    if (m_eventsClosed) {
        return;
    }
    auto self = shared_from_this();
    BeginSend();
    // The sender holds the package and the configuration it reads, so neither the package nor, at process
    // exit, the configuration's static owner can go away under it.
    try {
        ThreadLauncher::Instance().Post([self, id, extra, configuration = ConfigurationManager::Instance()] {
            StartSender(self, id, extra, configuration);
        });
    } catch (...) {
        // Nothing will send it: the event is dropped like any other that cannot be delivered.
        EndSend();
    }
}

void Package::StartSender(const std::shared_ptr<Package>& package, int id, const nlohmann::json& extra,
                          const std::shared_ptr<ConfigurationManager>& configuration)
{
    // Whatever keeps the thread from starting, the count goes down again, or the end of the run would
    // wait for a send that never runs.
    try {
        std::thread(&Package::Send, package, id, extra, configuration).detach();
    } catch (...) {
        package->EndSend();
    }
}

void Package::Send(std::shared_ptr<Package> package, int id, nlohmann::json extra,
                   std::shared_ptr<ConfigurationManager> configuration)
{
    try {
        nlohmann::json eventTemplate;
        HttpHeaders headers;
        {
            std::lock_guard lock(package->m_eventMutex);
            eventTemplate = package->m_eventTemplate;
            headers = package->m_baseRequest.headers;
        }
        const std::string envelope = TelemetryEvent::Envelope(TelemetryEvent::Build(eventTemplate, id, extra));
        // A failed status and a failed exchange alike get a second attempt: a connection that broke
        // once (a TLS error, a reset) loses no event.
        std::string outcome;
        for (int attempt = 1; attempt <= kTelemetryAttempts; ++attempt) {
            const auto answer = JsonExchange::Post(configuration->m_telemetryUrl, envelope, headers, kTelemetryLimits);
            if (answer && answer->status >= 200 && answer->status <= 399) {
                package->m_eventsClosed = TelemetryEvent::IsClosing(id);
                package->EndSend();
                return;
            }
            outcome = answer ? "status " + std::to_string(answer->status) : "no exchange with the service";
            // After the last attempt too: the send ends that much later, unless the run has ended.
            package->PauseAfterFailure();
        }
        LogEntry() << "Telemetry event " << id << " of " << package->LogName() << " not delivered: " << outcome;
    } catch (const std::exception& failure) {
        // An event that cannot be built: it is lost, and the user never hears of it.
        LogEntry() << "Telemetry event " << id << " of " << package->LogName() << " lost: " << failure.what();
    } catch (...) {
        LogEntry() << "Telemetry event " << id << " of " << package->LogName() << " lost";
    }
    package->EndSend();
}

void Package::PauseAfterFailure() const
{
    (m_run ? *m_run : Cancellation::Never()).Pause(kTelemetryRetryPause);
}

std::string Package::ExpandParameters(const std::string& text) const
{
    return ::ExpandParameters(text, m_params);
}

CString Package::ImageUrl() const
{
    return m_isMainProduct ? CString() : ConfigurationManager::Instance()->m_imageBaseUrl + Utf8ToCString(m_imageName);
}

bool Package::WriteNoShowRecord() const
{
    const std::size_t slash = m_pn.historyPath.rfind('\\');
    if (slash == std::string::npos || slash == 0) {
        return false;
    }
    const std::wstring keyPath = Utf8ToWide(m_pn.historyPath.substr(0, slash));
    if (!RegistryPaths::IsWritableMachineKey(keyPath)) {
        LogEntry() << "No-show record of " << LogName() << " not written: " << std::wstring_view(keyPath)
                   << " is not a key of its own below SOFTWARE";
        return false;
    }
    const std::string date = MachineFacts::LocalDateInDays(180);
    if (date.empty()) {
        return false;
    }
    const bool written = RegistryAccess::WriteDword(HKEY_LOCAL_MACHINE, keyPath,
                                                    Utf8ToWide(m_pn.historyPath.substr(slash + 1)),
                                                    static_cast<DWORD>(std::stoll(date)));
    LogEntry() << "No-show record of " << LogName() << (written ? " written: " : " not written: ") << date;
    return written;
}

std::string Package::LogName() const
{
    return m_isMainProduct ? std::string("the product") : "offer " + ToUtf8(FromAnsi(m_adO));
}

void Package::BeginSend()
{
    std::lock_guard lock(m_eventMutex);
    ++m_pendingEvents;
    ++g_sendsRunning;
}

void Package::EndSend()
{
    std::lock_guard lock(m_eventMutex);
    --g_sendsRunning;
    if (--m_pendingEvents == 0) {
        m_eventsIdle.notify_all();
    }
}

void Package::WaitForEvents()
{
    std::unique_lock lock(m_eventMutex);
    m_eventsIdle.wait(lock, [this] { return m_pendingEvents == 0; });
}

int Package::PendingEvents()
{
    std::lock_guard lock(m_eventMutex);
    return m_pendingEvents;
}

int Package::SendsRunning()
{
    return g_sendsRunning;
}
