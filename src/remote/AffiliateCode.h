#pragma once

#include <string>

// The affiliate code ("aflt") of a country code, matched exactly and case-sensitively; "91082" for a
// country that is not in the table.
std::string AffiliateCode(const std::string& country);
