#include "app/CTesseraApp.h"

#include "app/CTesseraDlg.h"
#include "framework/AfxGlobals.h"
#include "profile/ConfigurationManager.h"

#include <commctrl.h>
#include "framework/GdiPlus.h"

CTesseraApp::CTesseraApp() = default;

CTesseraApp::~CTesseraApp()
{
    if (m_gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
    }
}

BOOL CTesseraApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    if (!AfxInitRichEdit()) {
        return FALSE;
    }

    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

    {
        CTesseraDlg dialog;
        dialog.SetBackgroundColor(ConfigurationManager::Instance()->m_backgroundColor, TRUE);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
