#pragma once

#include "framework/CWnd.h"

// The one application object of the process; wWinMain runs it.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    CWnd* m_pMainWnd = nullptr;
};
