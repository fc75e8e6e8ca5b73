#include "OfferElements.h"

#include "remote/ApiManager.h"
#include "remote/Package.h"

nlohmann::json OfferElementJson(const nlohmann::json& ps, const std::string& id)
{
    nlohmann::json element{{"ad", {{"o", id}, {"f", "flow-1"}}},
                           {"ps", {{"i", "offer-1.png"}, {"dn", "Notarra"}, {"u", "dl/notarra-setup.exe"}}}};
    element["ps"].update(ps);
    return element;
}

std::shared_ptr<Package> MakeOffer(const nlohmann::json& ps, const std::string& id, int position)
{
    return std::make_shared<Package>(ApiManager::Instance()->MakeBaseRequest(), OfferElementJson(ps, id), false, "",
                                     position);
}
