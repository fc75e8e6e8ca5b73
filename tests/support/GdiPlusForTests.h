#pragma once

#include "framework/GdiPlusSession.h"

#include <optional>

// The test process's GDI+ session, started by TestMain as the setup starts its own.
std::optional<GdiPlusSession>& TestGdiPlusSession();

// While it lives, GDI+ is as after a failed start: the process's session is shut down and a start
// that the library refuses takes its place. The session comes back afterwards.
class GdiPlusOutage {
public:
    GdiPlusOutage();
    ~GdiPlusOutage();
    GdiPlusOutage(const GdiPlusOutage&) = delete;
    GdiPlusOutage& operator=(const GdiPlusOutage&) = delete;

    // Whether the refused start really was refused.
    bool Refused() const { return !m_failed->Started(); }

private:
    std::optional<GdiPlusSession> m_failed;
};
