#pragma once

// The numbers the telemetry wire carries, named. Event ids are what SendEvent takes; event keys are
// the decimal field names of the event object. The values are fixed by the receiving service.

namespace EventId {
// The main product package was created: the wizard left its first page.
constexpr int SetupStarted = 1;
// An offer is not shown: a failed eligibility check, or passed over by the offer sequence ("13").
constexpr int NotShown = 2;
// A package was downloaded and installed or started (or the product failed, when so configured: "12").
constexpr int Installed = 3;
// The user declined the offer, or skipped all offers, on its page.
constexpr int Declined = 4;
// The user quit the wizard.
constexpr int Quit = 5;
// Any other failed download or installation ("12").
constexpr int Failed = -1;
}  // namespace EventId

namespace EventKey {
// The base event: "0" to "22" start empty, then these are filled.
constexpr int kFirstBaseKey = 0;
constexpr int kLastBaseKey = 22;
constexpr char UserId[] = "1";
constexpr char SessionId[] = "2";
constexpr char AccountName[] = "3";
constexpr char ProductId[] = "4";
constexpr char SetupVersion[] = "7";
constexpr char Reserved15[] = "15";
constexpr char Cfl[] = "19";
constexpr char Channel[] = "21";
constexpr char ProductTitle[] = "22";
constexpr char OsVersion[] = "31";
constexpr char Wow64[] = "38";
// Per package (the event template).
constexpr char PackageId[] = "5";
constexpr char PackageKind[] = "10";
constexpr char PackageC[] = "16";
constexpr char PackagePosition[] = "17";
constexpr char PackageAdF[] = "18";
// Per event.
constexpr char Id[] = "6";
constexpr char FailureText[] = "12";
constexpr char Reason[] = "13";
}  // namespace EventKey

// Values of EventKey::PackageKind.
namespace PackageKind {
constexpr int MainProduct = 1;
constexpr int Offer = 2;
}  // namespace PackageKind
