#include "app/CTesseraApp.h"

#include "app/CTesseraDlg.h"
#include "app/RunLog.h"
#include "framework/AfxGlobals.h"
#include "framework/SetupLog.h"
#include "profile/ConfigurationManager.h"

#include <commctrl.h>

CTesseraApp::CTesseraApp() = default;

CTesseraApp::~CTesseraApp() = default;

BOOL CTesseraApp::InitInstance()
{
    const RunLog log;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    SetupLog::StartupStep("common controls ready");
    if (!AfxInitRichEdit() || !AfxInitRichEdit2()) {
        return FALSE;
    }
    SetupLog::StartupStep("rich edit ready");

    // Started with the first picture; without GDI+ the wizard still runs, with its pictures empty.
    m_gdiplus = std::make_unique<GdiPlusSession>();

    {
        CTesseraDlg dialog;
        SetupLog::StartupStep("main window object made");
        dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor, TRUE);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
