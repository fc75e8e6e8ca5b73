#pragma once

#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CWnd.h"
#include "framework/DataExchange.h"

// A dialog from a template, modal (DoModal) or modeless (Create).
class CDialogEx : public CWnd {
public:
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr);
    ~CDialogEx() override;

    INT_PTR DoModal();
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    UINT TemplateId() const { return m_templateId; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void SetBackgroundColor(COLORREF color, BOOL repaint = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* exchange);

    // WM_CTLCOLOR*: kind is the CTLCOLOR_* value. A null brush leaves the colours to the system.
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

    UINT m_templateId;
    CWnd* m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool RouteToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    INT_PTR HandleCtlColor(UINT message, WPARAM wParam, LPARAM lParam);

    bool m_modal = false;
    CBrush m_backgroundBrush;
};
