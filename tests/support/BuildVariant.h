#pragma once

#include <string>

// The variant the suite was built for; TESSERA_WIZARD_KEY_TEXT is defined per suite executable.
inline bool IsIsvBuild()
{
    return std::string(TESSERA_WIZARD_KEY_TEXT) == "ISV";
}

// Whether the build adds the heritage pages; TESSERA_HERITAGE_PAGES_TEXT is defined with the key.
inline bool IsHeritageBuild()
{
    return std::string(TESSERA_HERITAGE_PAGES_TEXT) == "ON";
}
