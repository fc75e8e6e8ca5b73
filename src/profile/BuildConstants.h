#pragma once

// What the build variant fixes: the wizard type key, the page sets and the endpoints.
// Only BuildConstants.cpp sees the generated values, so a variant recompiles one file.
namespace BuildConstants {

extern const wchar_t* const WizardTypeKey;
extern const bool BrandedPages;
extern const bool HeritagePages;
extern const wchar_t* const ConfigUrl;
extern const wchar_t* const TelemetryUrl;
extern const wchar_t* const ImageBaseUrl;
extern const wchar_t* const ProductUrl;
extern const wchar_t* const PrivacyUrl;
extern const wchar_t* const TermsUrl;

}  // namespace BuildConstants
