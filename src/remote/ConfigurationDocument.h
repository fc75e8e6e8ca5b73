#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

class ConfigurationManager;

// The configuration endpoint's answer: parsing it and storing its own fields in ConfigurationManager.
// The offer elements of "o" are read by the caller, when Apply says so.
namespace ConfigurationDocument {

struct Outcome {
    // DLM without a product title or URL: the configuration error is shown, nothing more is read.
    bool incomplete = false;
    // "o" is present and the channel does not switch offers off; m_maxOffers has been set.
    bool readOffers = false;
};

// Removes every whitespace byte (space, tab, line feed, vertical tab, form feed, carriage return),
// also inside strings: the operator's documents carry no meaningful whitespace, and stray line breaks
// and padding must not reach titles or URLs.
std::string StripWhitespace(const std::string& body);

// Strips the body and parses it as one JSON value, comments not allowed. Throws TesseraException for an
// empty body and the JSON library's parse_error for anything that is not JSON.
nlohmann::json Parse(const std::string& body);

// Stores the document's fields in configuration, in the order the document is defined to be applied.
// A missing required key or a wrongly typed value throws the JSON library's exception; what was stored
// before it stays stored.
Outcome Apply(const nlohmann::json& document, ConfigurationManager& configuration);

// The "sha256" of an object ("i", or an offer's "ps"): nothing when the key is missing. A value of any
// other type than a string comes back as an empty text, which matches no file: once a digest was asked
// for, the file is never run unchecked.
std::optional<std::string> Sha256Of(const nlohmann::json& object);

}  // namespace ConfigurationDocument
