#include "remote/TelemetryEvent.h"

#include "remote/TelemetryNames.h"

#include <algorithm>
#include <array>

namespace TelemetryEvent {

nlohmann::json Build(const nlohmann::json& eventTemplate, int id, const nlohmann::json& extra)
{
    nlohmann::json event = eventTemplate;
    event[EventKey::Id] = std::to_string(id);
    if (!extra.is_null()) {
        event.update(extra);
    }
    return event;
}

std::string Envelope(const nlohmann::json& event)
{
    // Texts arrive as ANSI bytes; one that is not valid UTF-8 (an accented product name, say) becomes
    // U+FFFD instead of making the serialisation throw and the whole event be lost.
    constexpr auto replace = nlohmann::json::error_handler_t::replace;
    const nlohmann::json envelope{{"data", event.dump(-1, ' ', false, replace)}, {"table", "zb_analytics"}};
    return envelope.dump(-1, ' ', false, replace);
}

bool IsClosing(int id)
{
    static constexpr std::array<int, 5> kClosingIds{EventId::Failed, EventId::NotShown, EventId::Installed,
                                                    EventId::Declined, EventId::Quit};
    return std::find(kClosingIds.begin(), kClosingIds.end(), id) != kClosingIds.end();
}

}  // namespace TelemetryEvent
