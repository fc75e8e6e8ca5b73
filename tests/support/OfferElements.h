#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

class Package;

// The smallest valid offer element, with its identifier and extra keys merged into its "ps" object.
nlohmann::json OfferElementJson(const nlohmann::json& ps = nlohmann::json::object(), const std::string& id = "offer-1");

// An offer package built from such an element, at the given position among the admitted offers.
std::shared_ptr<Package> MakeOffer(const nlohmann::json& ps = nlohmann::json::object(), const std::string& id = "offer-1",
                                   int position = 0);
