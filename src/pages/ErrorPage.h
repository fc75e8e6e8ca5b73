#pragma once

#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"

// The page every failed run ends on: the title and text the failing page reported, and Close.
class ErrorPage : public IPage {
public:
    ErrorPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    void OnNavigateToPage() override {}
    // The error page reports no errors of its own.
    void SetErrorHandler(ErrorHandler) override {}
    CString GetPageName() const override { return L"ErrorPage"; }
    PageKind GetPageKind() const override { return PageKind::Error; }
    BOOL OnInitDialog() override;

    CString m_title;
    CString m_text;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    CStaticFromImage m_pageImage;
};
