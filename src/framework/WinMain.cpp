#include "framework/AfxGlobals.h"
#include "framework/CWinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    CWinApp* application = AfxGetApp();
    if (!application) {
        return 1;
    }
    if (!application->InitInstance()) {
        return application->ExitInstance();
    }
    return application->Run();
}
