#include "eligibility/EligibilityChecker.h"

#include "framework/SetupLog.h"
#include "remote/Package.h"
#include "remote/TelemetryNames.h"

#include <functional>

EligibilityChecker::EligibilityChecker(int maxOffers) : m_flow(maxOffers) {}

bool EligibilityChecker::Evaluate(const std::shared_ptr<Package>& offer, bool& stop,
                                  const std::vector<std::shared_ptr<Package>>& admitted)
{
    if (m_flow.LimitReached()) {
        stop = true;
        LogEntry() << "Offer limit reached at " << offer->LogName() << ": no further offer is evaluated";
        return false;
    }
    const Package& candidate = *offer;
    // In this order: the cheap rules about other offers first, then the registry, the machine, files
    // and processes, and the history.
    const std::function<Refusal()> checks[] = {
        [&] { return m_flow.CheckBeforeAndAfter(candidate, admitted); },
        [&] { return m_flow.CheckVertical(candidate); },
        [&] { return m_flow.CheckExclusive(candidate); },
        [&] { return m_registryContent.Check(candidate); },
        [&] { return m_machine.CheckDisk(candidate); },
        [&] { return m_machine.CheckMemory(candidate); },
        [&] { return m_machine.CheckProcessor(candidate); },
        [&] { return m_machine.CheckWindowsVersion(candidate); },
        [&] { return m_machine.CheckSetupVersion(candidate); },
        [&] { return m_machine.CheckWin64(candidate); },
        [&] { return m_filesAndProcesses.CheckBlockingFiles(candidate); },
        [&] { return m_filesAndProcesses.CheckRequiredFiles(candidate); },
        [&] { return m_filesAndProcesses.CheckRunningPrograms(candidate); },
        [&] { return m_appPaths.Check(candidate); },
        [&] { return m_history.CheckUninstallTimes(candidate); },
        [&] { return m_browsers.CheckBrowser(candidate); },
        [&] { return m_browsers.CheckInternetExplorer(candidate); },
        [&] { return m_history.CheckNoShowPeriod(candidate); },
    };
    for (const auto& check : checks) {
        if (const Refusal refusal = check()) {
            ReportRejection(*offer, *refusal);
            return false;
        }
    }
    m_flow.Admit(candidate);
    LogEntry() << "Offer admitted: " << offer->LogName();
    return true;
}

void EligibilityChecker::ReportRejection(Package& offer, const std::string& reason) const
{
    // The extra slots do not count here.
    const bool reported = m_flow.Count() < m_flow.MaxOffers();
    if (reported) {
        offer.SendEvent(EventId::NotShown, {{EventKey::Reason, reason}});
    }
    LogEntry() << "Offer refused: " << offer.LogName() << ": " << reason << (reported ? "" : " (not reported)");
}
