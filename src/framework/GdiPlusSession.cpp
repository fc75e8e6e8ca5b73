#include "framework/GdiPlusSession.h"

#include "framework/GdiPlus.h"
#include "framework/SetupLog.h"
#include "framework/SystemLibraries.h"

#include <atomic>

namespace {

std::atomic<GdiPlusSession*> g_session{nullptr};

}  // namespace

GdiPlusSession::GdiPlusSession(UINT32 version) : m_version(version)
{
    g_session = this;
}

GdiPlusSession::~GdiPlusSession()
{
    GdiPlusSession* self = this;
    g_session.compare_exchange_strong(self, nullptr);
    std::lock_guard lock(m_mutex);
    if (m_token != 0) {
        Gdiplus::GdiplusShutdown(m_token);
    }
}

bool GdiPlusSession::Start()
{
    std::lock_guard lock(m_mutex);
    if (m_tried) {
        return m_token != 0;
    }
    m_tried = true;
    // GDI+ may decode through the imaging component, which COM looks up by its bare name; loaded from
    // System32 first, that lookup finds it loaded, and its own libraries come from System32 as well.
    SystemLibraries::Load(L"windowscodecs.dll");
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = m_version;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok || token == 0) {
        LogEntry() << "GDI+ could not start (status " << static_cast<int>(status) << "): pictures stay empty";
        return false;
    }
    m_token = token;
    return true;
}

bool GdiPlusSession::Started() const
{
    std::lock_guard lock(m_mutex);
    return m_token != 0;
}

bool GdiPlusSession::EnsureRunning()
{
    GdiPlusSession* session = g_session;
    return session && session->Start();
}

bool GdiPlusSession::IsRunning()
{
    GdiPlusSession* session = g_session;
    return session && session->Started();
}
