#pragma once

#include "framework/CDialogEx.h"
#include "framework/CStatic.h"

class CAboutDlg : public CDialogEx {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    CStatic m_versionLabel;
};
