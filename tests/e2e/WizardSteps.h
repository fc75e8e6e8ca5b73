#pragma once

#include "WizardDriver.h"

#include <chrono>
#include <string>

// The steps the end-to-end flows share: the wizard's buttons, its pages in this build, and what every
// run's end is checked for.
namespace WizardSteps {

constexpr int kNext = 1010;
constexpr int kAgree = 1050;
constexpr int kAccept = 1021;
constexpr int kDecline = 1022;
constexpr int kSkipAll = 1048;
constexpr int kFinish = 1028;
constexpr int kErrorClose = 1035;
constexpr int kErrorTitle = 1036;
constexpr int kErrorText = 1037;

// Requires the wizard to show the page next, within the limit.
void ExpectPage(WizardDriver& wizard, const char* page, std::chrono::seconds limit = std::chrono::seconds(60));
// From the language page to the first page after the licence (ISV) or the welcome (DLM); next: the
// Next button's text in the user's language.
void PassIntroduction(WizardDriver& wizard, const std::string& next = "Next");
// The heritage build asks for its options after the offers.
void PassHeritageOptions(WizardDriver& wizard);
// An offer page, checked to show the offer named.
void ExpectOffer(WizardDriver& wizard, const std::wstring& name);
const char* DownloadPage();
const char* FinishPage();
// The temporary folder the run's log says it removed, checked to be gone.
void ExpectTemporaryFolderRemoved(const WizardDriver& wizard);
// The user-interface thread never went longer than the stall limit without answering.
void ExpectResponsive(const WizardDriver& wizard);

}  // namespace WizardSteps
