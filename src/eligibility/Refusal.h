#pragma once

#include <optional>
#include <string>

// What a check says of an offer: nothing when it passes, else the reason it is refused, as sent to
// telemetry.
using Refusal = std::optional<std::string>;
