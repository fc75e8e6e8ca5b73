#include "remote/Package.h"

#include "framework/GdiPlus.h"
#include "framework/ImageLoading.h"
#include "framework/Pauses.h"
#include "framework/SetupLog.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "remote/ApiManager.h"
#include "remote/OfferElement.h"
#include "remote/TelemetryEvent.h"
#include "remote/TelemetryNames.h"
#include "remote/TesseraException.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryPaths.h"
#include "remote/ThreadLauncher.h"
#include "transfer/DownloadManager.h"
#include "transfer/EncodingUtilities.h"

#include <windows.h>

#include <chrono>
#include <system_error>

namespace {

// A send answered with a failure status is tried once more after this.
constexpr auto kTelemetryRetryPause = std::chrono::milliseconds(5000);

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

Package::~Package()
{
    std::unique_lock lock(m_eventMutex);
    while (m_pendingEvents != 0) {
        lock.unlock();
        Sleep(100);
        lock.lock();
    }
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
    {
        std::lock_guard lock(m_eventMutex);
        ++m_pendingEvents;
    }
    // The sender holds the package and the two singletons it uses, so neither the package nor, at process
    // exit, the singletons' static owners can go away under it.
    try {
        ThreadLauncher::Instance().Post([self, id, extra, configuration = ConfigurationManager::Instance(),
                                         api = ApiManager::Instance()] {
            StartSender(self, id, extra, configuration, api);
        });
    } catch (const std::exception&) {
        // Nothing will send it: the event is dropped like any other that cannot be delivered.
        EndSend();
    }
}

void Package::StartSender(const std::shared_ptr<Package>& package, int id, const nlohmann::json& extra,
                          const std::shared_ptr<ConfigurationManager>& configuration,
                          const std::shared_ptr<ApiManager>& api)
{
    auto state = std::make_shared<EventState>();
    try {
        state->m_thread = std::make_shared<std::thread>(&Package::Send, package, id, extra, configuration, api);
        state->m_thread->detach();
    } catch (const std::system_error&) {
        package->EndSend();
    }
}

void Package::Send(std::shared_ptr<Package> package, int id, nlohmann::json extra,
                   std::shared_ptr<ConfigurationManager> configuration, std::shared_ptr<ApiManager> api)
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
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::string response;
            DWORD status = 0;
            try {
                if (api->PostJson(configuration->m_telemetryUrl, envelope, headers, response, status) &&
                    status >= 200 && status <= 399) {
                    package->m_eventsClosed = TelemetryEvent::IsClosing(id);
                    package->EndSend();
                    return;
                }
                outcome = "status " + std::to_string(status);
            } catch (const TesseraException&) {
                outcome = "no exchange with the service";
            }
            Sleep(static_cast<DWORD>(Pauses::Of(kTelemetryRetryPause).count()));
        }
        LogEntry() << "Telemetry event " << id << " of " << package->LogName() << " not delivered: " << outcome;
    } catch (const std::exception& failure) {
        // An event that cannot be built: it is lost, and the user never hears of it.
        LogEntry() << "Telemetry event " << id << " of " << package->LogName() << " lost: " << failure.what();
    }
    package->EndSend();
}

std::string Package::ExpandParameters(const std::string& text) const
{
    return ::ExpandParameters(text, m_params);
}

void Package::DownloadImage(std::function<void()> done)
{
    if (m_isMainProduct) {
        done();
        return;
    }
    const CString url = ConfigurationManager::Instance()->m_imageBaseUrl + Utf8ToCString(m_imageName);
    // The fetch holds the package, so the image has somewhere to go however long it takes.
    DownloadManager::Instance()->FetchToMemoryAsync(
        url, [self = shared_from_this(), done = std::move(done)](std::unique_ptr<std::vector<char>> bytes) {
            if (bytes && !bytes->empty()) {
                if (auto image = LoadImageFromBytes(bytes->data(), bytes->size())) {
                    self->m_image = std::move(image);
                }
            }
            done();
        });
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

void Package::EndSend()
{
    std::lock_guard lock(m_eventMutex);
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
