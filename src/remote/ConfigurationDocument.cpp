#include "remote/ConfigurationDocument.h"

#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/TesseraException.h"

#include <algorithm>
#include <iterator>

namespace {

// With this channel the operator switches the offers off for the run.
constexpr const wchar_t* kNoOffersChannel = L"00xA";

bool IsWhitespaceByte(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' || byte == '\r';
}

CString AnsiText(const nlohmann::json& value)
{
    return AnsiToCString(value.get<std::string>());
}

CString OptionalAnsiText(const nlohmann::json& object, const char* key)
{
    return object.contains(key) ? AnsiText(object.at(key)) : CString();
}

// Returns false when the product's title or URL is missing from the document: the run cannot go on.
bool ApplyProductInformation(const nlohmann::json& product, ConfigurationManager& configuration)
{
    configuration.m_productTitle = AnsiText(product.at("ct"));
    configuration.m_productUrl = AnsiText(product.at("cu"));
    if (configuration.m_productTitle.IsEmpty() || configuration.m_productUrl.IsEmpty()) {
        return false;
    }
    configuration.m_logoUrl = OptionalAnsiText(product, "cl");
    if (product.contains("cf")) {
        configuration.m_productFileName = AnsiText(product.at("cf"));
    } else {
        configuration.m_productFileName.Format(L"%s.exe", static_cast<const wchar_t*>(configuration.m_productTitle));
    }
    configuration.m_privacyUrl = OptionalAnsiText(product, "cp");
    configuration.m_termsUrl = OptionalAnsiText(product, "ctu");
    configuration.m_ch = OptionalAnsiText(product, "ch");
    configuration.m_cfl = OptionalAnsiText(product, "cfl");
    configuration.m_ispb = product.contains("cb") ? product.at("cb").get<std::string>() : std::string();
    return true;
}

}  // namespace

namespace ConfigurationDocument {

std::string StripWhitespace(const std::string& body)
{
    std::string stripped;
    stripped.reserve(body.size());
    std::copy_if(body.begin(), body.end(), std::back_inserter(stripped),
                 [](char byte) { return !IsWhitespaceByte(byte); });
    return stripped;
}

nlohmann::json Parse(const std::string& body)
{
    const std::string stripped = StripWhitespace(body);
    if (stripped.empty()) {
        throw TesseraException();
    }
    return nlohmann::json::parse(stripped, nullptr, true, false);
}

Outcome Apply(const nlohmann::json& document, ConfigurationManager& configuration)
{
    Outcome outcome;
    if (document.is_object() && document.contains("l")) {
        configuration.m_country = document.at("l").get<std::string>();
    }
    if (configuration.m_wizardType == WIZARD_DLM && !ApplyProductInformation(document.at("i"), configuration)) {
        outcome.incomplete = true;
        return outcome;
    }
    // The installer's digest is read in both wizards; the ISV wizard takes nothing else from "i".
    if (document.is_object() && document.contains("i") && document.at("i").is_object()) {
        configuration.m_productSha256 = Sha256Of(document.at("i"));
    }
    if (document.contains("f")) {
        const nlohmann::json& features = document.at("f");
        if (features.is_object() && features.contains("a")) {
            configuration.m_pubId = features.at("a").get<std::string>();
        }
    }
    if (document.contains("o") && configuration.m_ch != kNoOffersChannel) {
        configuration.m_maxOffers = document.at("f").at("m").get<int>();
        outcome.readOffers = true;
    }
    return outcome;
}

std::optional<std::string> Sha256Of(const nlohmann::json& object)
{
    const auto found = object.find("sha256");
    if (found == object.end()) {
        return std::nullopt;
    }
    return found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace ConfigurationDocument
