#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

using HttpHeaders = std::vector<std::pair<std::wstring, std::wstring>>;

// The common telemetry event fields and the signed "Authorization" header, as made by
// ApiManager::MakeBaseRequest; every package keeps its own copy.
struct BaseRequest {
    nlohmann::json event = nlohmann::json::object();
    HttpHeaders headers;
};
