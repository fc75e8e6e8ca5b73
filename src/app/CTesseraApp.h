#pragma once

#include "framework/CWinApp.h"

#include <windows.h>

// The setup's application object: prepares the process and runs the wizard dialog modally.
class CTesseraApp : public CWinApp {
public:
    CTesseraApp();
    ~CTesseraApp() override;

    // Always false: the process ends when the wizard dialog closes.
    BOOL InitInstance() override;

private:
    ULONG_PTR m_gdiplusToken = 0;
};
