#include "framework/CWinApp.h"

#include "framework/AfxGlobals.h"

namespace {

CWinApp* g_application = nullptr;

}  // namespace

CWinApp* AfxGetApp()
{
    return g_application;
}

CWinApp::CWinApp()
{
    g_application = this;
}

CWinApp::~CWinApp()
{
    if (g_application == this) {
        g_application = nullptr;
    }
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return 0;
}
