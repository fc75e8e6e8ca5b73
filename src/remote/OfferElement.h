#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>

class Package;

// Builds an offer package from its element of the configuration's "o" array, in this order: the
// identity parameters, "ad", "pxl" and "of", the expanded "ps" strings, the "pn" block, the optional
// strings and numbers, the "x" preset over them, and the lists. Throws the JSON library's exceptions
// (a missing required key, a value of the wrong type), the UTF-8 conversion's runtime_error, and
// length_error for an "ad"."o" identifier longer than kMaxOfferIdLength.
namespace OfferElement {

// Far above any identifier a service hands out ("nt-2291").
constexpr std::size_t kMaxOfferIdLength = 256;

void Read(const nlohmann::json& element, Package& package);

}  // namespace OfferElement
