#include "framework/GdiPlusSession.h"

#include "framework/GdiPlus.h"
#include "framework/SetupLog.h"
#include "framework/SystemLibraries.h"

#include <atomic>

namespace {

std::atomic<int> g_runningSessions{0};

}  // namespace

GdiPlusSession::GdiPlusSession(UINT32 version)
{
    // GDI+ may decode through the imaging component, which COM looks up by its bare name; loaded from
    // System32 first, that lookup finds it loaded, and its own libraries come from System32 as well.
    SystemLibraries::Load(L"windowscodecs.dll");
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok || token == 0) {
        LogEntry() << "GDI+ could not start (status " << static_cast<int>(status) << "): pictures stay empty";
        return;
    }
    m_token = token;
    ++g_runningSessions;
}

GdiPlusSession::~GdiPlusSession()
{
    if (m_token != 0) {
        --g_runningSessions;
        Gdiplus::GdiplusShutdown(m_token);
    }
}

bool GdiPlusSession::IsRunning()
{
    return g_runningSessions > 0;
}
