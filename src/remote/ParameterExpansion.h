#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

using PackageParameters = std::unordered_map<std::string, std::string>;

// No expanded text grows past this: the longest command line Windows starts a program with. Values
// that name each other many times over would otherwise multiply a text without bound.
constexpr std::size_t kMaxExpandedLength = 32767;

// Replaces every "{name}" of the parameters in text by its value, one parameter after the other in
// the map's order. The text a replacement inserts is never searched again for the same name, so a
// value that holds its own placeholder cannot make the expansion go on for ever; a later parameter
// does see it. Unknown names stay as they are, and so do the placeholders whose replacement would take
// the text past kMaxExpandedLength.
std::string ExpandParameters(const std::string& text, const PackageParameters& parameters);
