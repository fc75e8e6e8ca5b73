#pragma once

#include "framework/CWinApp.h"
#include "framework/GdiPlusSession.h"

#include <memory>

// The setup's application object: prepares the process and runs the wizard dialog modally.
class CTesseraApp : public CWinApp {
public:
    CTesseraApp();
    ~CTesseraApp() override;

    // Always false: the process ends when the wizard dialog closes.
    BOOL InitInstance() override;

private:
    // Shut down when the application object goes, after the dialog and its images.
    std::unique_ptr<GdiPlusSession> m_gdiplus;
};
