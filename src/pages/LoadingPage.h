#pragma once

#include "framework/CProgressCtrl.h"
#include "pages/IPage.h"

#include <memory>
#include <vector>

class Package;

// The page shown while the configuration is fetched and the offers are checked: a moving bar.
class LoadingPage : public IPage {
public:
    using CompletionHandler = std::function<void(std::vector<std::shared_ptr<Package>>)>;

    LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent);

    void OnNavigateToPage() override;
    CString GetPageName() const override { return L"LoadingPage"; }
    PageKind GetPageKind() const override { return PageKind::Loading; }

    CompletionHandler m_completionHandler;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

private:
    CProgressCtrl m_progress;
};
