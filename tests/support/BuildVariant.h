#pragma once

#include "profile/BuildConstants.h"

#include <string>

// The variant the suite was linked with: its build constants, as the setup reads them.
inline bool IsIsvBuild()
{
    return std::wstring(BuildConstants::WizardTypeKey) == L"ISV";
}

inline bool IsHeritageBuild()
{
    return BuildConstants::HeritagePages;
}
