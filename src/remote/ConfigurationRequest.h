#pragma once

#include "framework/CString.h"

#include <nlohmann/json.hpp>

#include <string>

class ConfigurationManager;

// The document the setup posts to the configuration endpoint, and the values it derives for it.
namespace ConfigurationRequest {

// The seven-character campaign code a distributor puts in the setup's file name after its last
// underscore ("..._ab-1234.exe"); "" when the path carries none. The whole path is searched, so an
// underscore in a folder name counts when the file name has none.
std::string FileNameCode(const CString& modulePath);

// The first two letters of the language code, lowercased ("pt_BR" -> "pt").
std::string LanguageParameter(const CString& languageCode);

// The request document with its eight string keys; modulePath is the setup's own path.
nlohmann::json Build(ConfigurationManager& configuration, const CString& modulePath);

// The document as it goes on the wire: compact, keys in byte order, non-ASCII bytes as they are.
std::string Serialise(const nlohmann::json& document);

}  // namespace ConfigurationRequest
