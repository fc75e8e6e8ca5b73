#pragma once

#include <windows.h>

// Starts GDI+ for as long as it lives and shuts it down after. When the start fails, GDI+ must not
// be used at all: IsRunning() tells the image code, which then leaves its pictures empty.
class GdiPlusSession {
public:
    // version: the GDI+ version asked for; the library's default is 1.
    explicit GdiPlusSession(UINT32 version = 1);
    ~GdiPlusSession();
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

    bool Started() const { return m_token != 0; }
    // Whether a session that started is alive in this process.
    static bool IsRunning();

private:
    ULONG_PTR m_token = 0;
};
