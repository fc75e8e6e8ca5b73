#include "remote/AffiliateCode.h"

#include <string_view>
#include <unordered_map>

namespace {

using CountryTable = std::unordered_map<std::string, std::string>;

CountryTable BuildCountryTable()
{
    struct Group {
        const char* code;
        const char* countries;
    };
    static constexpr Group kGroups[] = {
        {"91088", "US"},
        {"91166", "CA"},
        {"91199", "BR"},
        {"91214", "AU NZ KR"},
        {"91105", "DZ BG CY CZ EG GR HU IE IL KW MA PL PT QA RO RU SA SK ZA TN TR UA AE"},
        {"91215", "TH MX PH AR VN TW PE CL CO VE RS LK DO JO HK LT PS HR CR BA SV GE MD AL UY BY LB SN PA LV ID PK SG"},
    };
    CountryTable table;
    for (const Group& group : kGroups) {
        std::string_view countries(group.countries);
        while (!countries.empty()) {
            const std::size_t blank = countries.find(' ');
            table.emplace(std::string(countries.substr(0, blank)), group.code);
            countries.remove_prefix(blank == std::string_view::npos ? countries.size() : blank + 1);
        }
    }
    return table;
}

}  // namespace

std::string AffiliateCode(const std::string& country)
{
    // Packages are built on the loading worker while the controller may build the main product's:
    // the table is made once, by whichever thread comes first.
    static const CountryTable table = BuildCountryTable();
    const auto found = table.find(country);
    return found != table.end() ? found->second : "91082";
}
