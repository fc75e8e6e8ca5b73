#pragma once

#include "eligibility/AppPathsChecks.h"
#include "eligibility/BrowserChecks.h"
#include "eligibility/FileAndProcessChecks.h"
#include "eligibility/HistoryChecks.h"
#include "eligibility/MachineChecks.h"
#include "eligibility/OfferFlowChecks.h"
#include "eligibility/RegistryContentChecks.h"
#include "registry/RegistryAccess.h"

#include <memory>
#include <string>
#include <vector>

class Package;

// Decides offer by offer, in configuration order, whether an offer may be shown on this machine. One
// checker serves one pass over the configuration's offers; the machine facts it reads are kept for
// that pass. A refused offer reports the reason of the first check that refused it (event 2), as long
// as fewer offers than the run's bound have been admitted.
class EligibilityChecker {
public:
    explicit EligibilityChecker(int maxOffers);
    EligibilityChecker(const EligibilityChecker&) = delete;
    EligibilityChecker& operator=(const EligibilityChecker&) = delete;

    // True when the offer is admitted (the caller then appends it to admitted). Sets stop when the
    // run's offer limit is reached: no further offer is to be evaluated. Standard exceptions from
    // malformed data (a stamp or version that is no number, a hive alias where a hive is needed) leave
    // this call and end the pass.
    bool Evaluate(const std::shared_ptr<Package>& offer, bool& stop,
                  const std::vector<std::shared_ptr<Package>>& admitted);

private:
    void ReportRejection(Package& offer, const std::string& reason) const;

    RegistryAccess::SubkeyCache m_subkeys;
    OfferFlowChecks m_flow;
    MachineChecks m_machine;
    FileAndProcessChecks m_filesAndProcesses;
    RegistryContentChecks m_registryContent{m_subkeys};
    AppPathsChecks m_appPaths;
    HistoryChecks m_history{m_subkeys};
    BrowserChecks m_browsers{m_subkeys};
};
