#include "remote/ParameterExpansion.h"

std::string ExpandParameters(const std::string& text, const PackageParameters& parameters)
{
    std::string result = text;
    for (const auto& [name, value] : parameters) {
        const std::string placeholder = "{" + name + "}";
        for (std::size_t found = result.find(placeholder); found != std::string::npos;
             found = result.find(placeholder, found + value.size())) {
            result.replace(found, placeholder.size(), value);
        }
    }
    return result;
}
