#pragma once

#include <windows.h>

#include <mutex>

// GDI+ for as long as the session lives, started when a picture is first decoded rather than when
// the process starts (no page before the first picture needs it), and shut down after. When the
// start fails, GDI+ is not used at all: the image code leaves its pictures empty. One session per
// process at a time.
class GdiPlusSession {
public:
    // version: the GDI+ version asked for; the library's default is 1.
    explicit GdiPlusSession(UINT32 version = 1);
    ~GdiPlusSession();
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

    // Starts GDI+ unless it was started (or refused) before; whether it runs. Any thread.
    bool Start();
    bool Started() const;

    // Starts the process's session if needed: whether GDI+ runs. False without a session.
    static bool EnsureRunning();
    // Whether GDI+ runs now, without starting it.
    static bool IsRunning();

private:
    const UINT32 m_version;
    mutable std::mutex m_mutex;
    bool m_tried = false;
    ULONG_PTR m_token = 0;
};
