#pragma once

#include "app/CTesseraDlg.h"
#include "pages/ErrorPage.h"
#include "pages/IPage.h"
#include "pages/LoadingPage.h"
#include "resource.h"

class NamedPage;

// Reaches into the controller the way its own pages and messages would, for the tests.
class CTesseraDlgTestPeer {
public:
    explicit CTesseraDlgTestPeer(CTesseraDlg& dialog) : m_dialog(dialog) {}

    int CurrentPage() const { return m_dialog.m_currentPage; }
    int PageCount() const { return static_cast<int>(m_dialog.m_pages.size()); }
    IPage& Page(int index) const { return *m_dialog.m_pages.at(static_cast<std::size_t>(index)); }
    // The two pages whose windows are made once the first page is up, made now if they are not yet.
    LoadingPage& Loading() const
    {
        m_dialog.EnsureStartPages();
        return dynamic_cast<LoadingPage&>(Page(1));
    }
    ErrorPage& Error() const
    {
        m_dialog.EnsureStartPages();
        return *m_dialog.m_errorPage;
    }
    bool ErrorShown() const { return m_dialog.m_errorShown; }
    bool RunCancelled() const { return m_dialog.m_run->IsCancelled(); }
    std::shared_ptr<LanguageManager> Languages() const { return m_dialog.m_languageManager; }

    // Appends a stand-in for a later page of that name and kind.
    NamedPage& AddNamedPage(const CString& name, PageKind kind);

    void AddPage(std::unique_ptr<IPage> page) { m_dialog.CreateAndAddPage(std::move(page), m_dialog.PageRectangle()); }
    void Press(ButtonType type) { m_dialog.OnPageButton(type); }
    void ShowPage(int index) { m_dialog.ShowPage(index); }
    // Shows a page in place of the current one without telling it, so it starts no work.
    void Reveal(int index)
    {
        Page(CurrentPage()).ShowWindow(SW_HIDE);
        Page(index).ShowWindow(SW_SHOW);
        m_dialog.m_currentPage = index;
    }
    // Makes the loading page the current page without starting its work, as if it had been shown.
    void ArriveAtLoadingPage() { m_dialog.m_currentPage = 1; }
    void SetInstallInProgress(bool value) { m_dialog.m_installInProgress = value; }
    void SetOffers(std::vector<std::shared_ptr<Package>> offers) { m_dialog.m_offerSequence.SetOffers(std::move(offers)); }

private:
    CTesseraDlg& m_dialog;
};

// A page that stands in for the pages later in the wizard: only its kind matters to the controller.
class NamedPage : public IPage {
public:
    NamedPage(std::shared_ptr<LanguageManager> manager, CWnd* parent, CString name, PageKind kind)
        : IPage(std::move(manager), IDD_LOADING_PAGE, parent), m_name(std::move(name)), m_kind(kind)
    {
    }
    void OnNavigateToPage() override { ++m_navigations; }
    // Reports an error the way any page does, through the handler the controller gave it.
    void Report(const CString& title, const CString& text) { NotifyError(title, text); }
    CString GetPageName() const override { return m_name; }
    PageKind GetPageKind() const override { return m_kind; }

    int m_navigations = 0;

private:
    CString m_name;
    PageKind m_kind;
};

inline NamedPage& CTesseraDlgTestPeer::AddNamedPage(const CString& name, PageKind kind)
{
    auto page = std::make_unique<NamedPage>(m_dialog.m_languageManager, &m_dialog, name, kind);
    NamedPage& added = *page;
    AddPage(std::move(page));
    return added;
}
