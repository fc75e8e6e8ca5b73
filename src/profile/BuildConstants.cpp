#include "profile/BuildConstants.h"

#include "TesseraBuildConstants.h"

namespace BuildConstants {

const wchar_t* const WizardTypeKey = TESSERA_WIZARD_TYPE_KEY;
const bool BrandedPages = TESSERA_BRANDED_PAGES;
const bool HeritagePages = TESSERA_HERITAGE_PAGES;
const wchar_t* const ConfigUrl = TESSERA_CONFIG_URL;
const wchar_t* const TelemetryUrl = TESSERA_TELEMETRY_URL;
const wchar_t* const ImageBaseUrl = TESSERA_IMAGE_BASE_URL;
const wchar_t* const ProductUrl = TESSERA_PRODUCT_URL;
const wchar_t* const PrivacyUrl = TESSERA_PRIVACY_URL;
const wchar_t* const TermsUrl = TESSERA_TERMS_URL;

}  // namespace BuildConstants
