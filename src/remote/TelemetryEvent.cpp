#include "remote/TelemetryEvent.h"

#include <algorithm>
#include <array>

namespace TelemetryEvent {

nlohmann::json Build(const nlohmann::json& eventTemplate, int id, const nlohmann::json& extra)
{
    nlohmann::json event = eventTemplate;
    event["6"] = std::to_string(id);
    if (!extra.is_null()) {
        event.update(extra);
    }
    return event;
}

std::string Envelope(const nlohmann::json& event)
{
    const nlohmann::json envelope{{"data", event.dump()}, {"table", "zb_analytics"}};
    return envelope.dump();
}

bool IsClosing(int id)
{
    static constexpr std::array<int, 5> kClosingIds{-1, 2, 3, 4, 5};
    return std::find(kClosingIds.begin(), kClosingIds.end(), id) != kClosingIds.end();
}

}  // namespace TelemetryEvent
