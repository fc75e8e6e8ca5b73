#include "framework/GdiPlusSession.h"

#include "framework/GdiPlus.h"
#include "framework/SetupLog.h"

#include <atomic>

namespace {

std::atomic<int> g_runningSessions{0};

}  // namespace

GdiPlusSession::GdiPlusSession(UINT32 version)
{
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
