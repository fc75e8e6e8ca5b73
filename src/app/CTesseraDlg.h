#pragma once

#include "framework/CBrush.h"
#include "framework/CDialogEx.h"
#include "framework/CStatic.h"
#include "framework/UniqueHandle.h"
#include "pages/CStaticFromImage.h"

// The main window of the setup: a frame that hosts the wizard pages above an accent band.
class CTesseraDlg : public CDialogEx {
public:
    explicit CTesseraDlg(CWnd* parent = nullptr);
    ~CTesseraDlg() override;

    BOOL OnInitDialog() override;
    // Enter never closes the wizard.
    void OnOK() override {}
    // Escape takes the same road as the close button, confirmation included.
    void OnCancel() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

private:
    bool AcquireSingleInstance();
    bool ApplyWizardTitle();
    bool OnSysCommand(WPARAM command, LPARAM lParam);
    bool OnPaint();
    void OnClose();

    HICON m_hIcon;
    CStatic m_titleLabel;
    CStaticFromImage m_productIcon;
    CStatic m_separator;
    CBrush m_bandBrush;
    CStatic m_band;
    UniqueKernelHandle m_singleInstanceMutex;
};
