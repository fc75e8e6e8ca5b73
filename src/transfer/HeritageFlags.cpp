#include "transfer/HeritageFlags.h"

#include "profile/ConfigurationManager.h"

CString BuildHeritageFlagString()
{
    const auto configuration = ConfigurationManager::Instance();
    const auto& option = configuration->m_options;
    const auto& configured = configuration->m_configurations;
    const auto digit = [](bool on) { return on ? L'1' : L'0'; };

    // The installer reads its mask by position: several positions are fixed, and the third
    // configuration drives two of them.
    const bool mask[16] = {configured[2], configured[3], configured[0], false,     false,     configured[1],
                           false,         true,          false,         true,      configured[4], configured[2],
                           option[1],     option[2],     option[0],     false};
    CString flags = L"/S /FORCEINSTALL ";
    for (const bool on : mask) {
        flags += digit(on);
    }
    return flags;
}
