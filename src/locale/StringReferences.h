#pragma once

#include <map>
#include <string>

// Replaces every "{KEY}" in the table's values by that key's text, recursively, so a value may
// refer to keys whose own texts refer further. A reference to a key that is not in the table stays
// as written. A reference that would close a cycle (a value reaching itself, directly or through
// others) also stays as written, so any table expands in finite time.
void ExpandStringReferences(std::map<std::string, std::string>& strings);
