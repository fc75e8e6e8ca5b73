#include "framework/AfxGlobals.h"
#include "framework/CWinApp.h"
#include "framework/SetupLog.h"
#include "framework/SystemLibraries.h"

namespace {

// Windows Installer's "fatal error": the exit code of a setup that would not run.
constexpr int kRefusedToRun = 1603;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before anything that could load a library, a window and a message box included.
    SystemLibraries::HardenProcess();
    SetupLog::StartupStep("entry point reached");
    if (SystemLibraries::RedirectedByDotLocal()) {
        return kRefusedToRun;
    }
    CWinApp* application = AfxGetApp();
    if (!application) {
        return 1;
    }
    const int code = application->InitInstance() ? application->Run() : application->ExitInstance();
    // Work that outlived the run's bounded waits (a send past the bound, a download waiting out its limit)
    // ends here with the process, before any static object is destroyed: returning would run the static
    // destructors while those threads still use what they destroy.
    ExitProcess(static_cast<UINT>(code));
}
