#include "remote/ParameterExpansion.h"

std::string ExpandParameters(const std::string& text, const PackageParameters& parameters)
{
    std::string result = text;
    for (const auto& [name, value] : parameters) {
        const std::string placeholder = "{" + name + "}";
        std::size_t found = result.find(placeholder);
        if (found == std::string::npos) {
            continue;
        }
        // Built anew in one pass per parameter: replacing in place moves the rest of the text each time.
        std::string expanded;
        std::size_t from = 0;
        for (; found != std::string::npos; found = result.find(placeholder, from)) {
            const std::size_t rest = result.size() - found - placeholder.size();
            if (expanded.size() + (found - from) + value.size() + rest > kMaxExpandedLength) {
                break;
            }
            expanded.append(result, from, found - from);
            expanded += value;
            from = found + placeholder.size();
        }
        expanded.append(result, from, std::string::npos);
        result = std::move(expanded);
    }
    return result;
}
