#pragma once

#include "framework/Cancellation.h"
#include "framework/CBrush.h"
#include "framework/CDialogEx.h"
#include "framework/CFont.h"
#include "locale/LanguageListener.h"
#include "pages/ButtonType.h"
#include "pages/PageKind.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class LanguageManager;

// Base of every wizard page: a child dialog with an accent band at the bottom, texts bound to its
// controls by string key, a fixed name, and the two handlers through which it talks to the controller.
class IPage : public CDialogEx, public LanguageListener {
public:
    using ButtonHandler = std::function<void(ButtonType)>;
    using ErrorHandler = std::function<void(const CString& title, const CString& text)>;

    IPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId, CWnd* parent);
    ~IPage() override;

    // Called each time the page becomes the shown page.
    virtual void OnNavigateToPage() = 0;
    virtual void SetButtonHandler(ButtonHandler handler);
    virtual void SetErrorHandler(ErrorHandler handler);
    // Applies the current language to the bound controls; a key without text leaves the control as it is.
    virtual void UpdateTexts();
    virtual CString GetPageName() const = 0;
    virtual PageKind GetPageKind() const = 0;
    void OnTextsChanged() override { UpdateTexts(); }
    // The run the page's work belongs to (the controller's); once it is cancelled the page starts nothing.
    void SetRun(std::shared_ptr<Cancellation> run) { m_run = std::move(run); }
    // The run has ended: the page lets go of what it kept for later (files held for their installers),
    // so the temporary folder can go.
    virtual void OnRunEnded() {}

    // Enter and Escape never close a page.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

    // The control is looked up each time the texts are applied, so a binding never outlives its control.
    void BindText(const std::string& key, int controlId);
    // A handler is called only when the controller has set it.
    void NotifyButton(ButtonType type) const;
    void NotifyError(const CString& title, const CString& text) const;

    // Opens the clicked link of a SysLink control with the shell; links without an address do nothing.
    LRESULT OnLinkClick(NMHDR& notification);
    // Gives a page's title control a heavy font, kept as long as the page exists.
    void MakeTitleFont(CWnd& title);

    std::shared_ptr<LanguageManager> m_languageManager;
    std::vector<std::pair<int, std::string>> m_texts;  // control id, string key
    CBrush m_bandBrush;
    ButtonHandler m_buttonHandler;
    ErrorHandler m_errorHandler;
    CFont m_titleFont;
    // A run of its own until the controller hands over its run.
    std::shared_ptr<Cancellation> m_run = std::make_shared<Cancellation>();
};
