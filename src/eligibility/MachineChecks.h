#pragma once

#include "eligibility/Refusal.h"

#include <cstdint>
#include <optional>

class Package;

// The offer's requirements on the machine itself: free disk space, memory, processor speed, the
// Windows version, the setup's own version and a 64-bit Windows. A query that succeeds is kept for
// the rest of the pass; one that fails refuses the offer that needed it and is asked again later.
class MachineChecks {
public:
    Refusal CheckDisk(const Package& offer);
    Refusal CheckMemory(const Package& offer);
    Refusal CheckProcessor(const Package& offer);
    Refusal CheckWindowsVersion(const Package& offer) const;
    Refusal CheckSetupVersion(const Package& offer) const;
    Refusal CheckWin64(const Package& offer) const;

private:
    std::optional<std::uint64_t> m_freeDiskMb;
    std::optional<std::uint64_t> m_memoryMb;
    std::optional<std::uint32_t> m_processorMhz;
};
