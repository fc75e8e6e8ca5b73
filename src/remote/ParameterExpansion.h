#pragma once

#include <string>
#include <unordered_map>

using PackageParameters = std::unordered_map<std::string, std::string>;

// Replaces every "{name}" of the parameters in text by its value, one parameter after the other in
// the map's order. The text a replacement inserts is never searched again for the same name, so a
// value that holds its own placeholder cannot make the expansion go on for ever; a later parameter
// does see it. Unknown names stay as they are.
std::string ExpandParameters(const std::string& text, const PackageParameters& parameters);
