#include "locale/StringReferences.h"

#include <algorithm>
#include <vector>

namespace {

using StringTable = std::map<std::string, std::string>;

// Expands from the original texts, so the result of one key does not depend on the order in which
// the others were done.
std::string Expand(const StringTable& strings, const std::string& key, std::vector<std::string>& chain)
{
    std::string value = strings.at(key);
    std::size_t position = 0;
    for (;;) {
        const std::size_t open = value.find('{', position);
        if (open == std::string::npos) {
            break;
        }
        const std::size_t close = value.find('}', open + 1);
        if (close == std::string::npos) {
            break;
        }
        const std::string name = value.substr(open + 1, close - open - 1);
        const bool closesCycle = std::find(chain.begin(), chain.end(), name) != chain.end();
        if (!strings.count(name) || closesCycle) {
            position = close + 1;
            continue;
        }
        chain.push_back(name);
        const std::string replacement = Expand(strings, name, chain);
        chain.pop_back();
        value.replace(open, close - open + 1, replacement);
        // The inserted text is already expanded as far as it can be.
        position = open + replacement.size();
    }
    return value;
}

}  // namespace

void ExpandStringReferences(StringTable& strings)
{
    const StringTable originals = strings;
    for (auto& [key, value] : strings) {
        std::vector<std::string> chain{key};
        value = Expand(originals, key, chain);
    }
}
