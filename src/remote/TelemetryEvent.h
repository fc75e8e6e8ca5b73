#pragma once

#include <nlohmann/json.hpp>

#include <string>

// The documents a package's telemetry sender posts.
namespace TelemetryEvent {

// A copy of the template with "6" = the id in decimal and the extra values merged over it (null:
// none). Throws the JSON library's type_error when extra is neither null nor an object.
nlohmann::json Build(const nlohmann::json& eventTemplate, int id, const nlohmann::json& extra);

// The HTTP body: {"data": <the event, compact, as one string>, "table": "zb_analytics"}, compact.
// Bytes that are not UTF-8 are sent as U+FFFD.
std::string Envelope(const nlohmann::json& event);

// Whether a delivered event with this id ends the package's telemetry (-1, 2, 3, 4, 5).
bool IsClosing(int id);

}  // namespace TelemetryEvent
