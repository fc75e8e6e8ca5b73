#pragma once

#include "framework/CBrush.h"
#include "framework/CButton.h"
#include "framework/CLinkCtrl.h"
#include "pages/CStaticFromImage.h"
#include "pages/IPage.h"

#include <memory>

class Package;

// One offer of another vendor: its picture and a disclaimer linking its privacy policy and licence.
// The user accepts it, declines it, or skips all the remaining offers; the page records the choice
// in the run's offer lists and the offer's telemetry before handing the button to the controller.
class ProductPage : public IPage {
public:
    ProductPage(std::shared_ptr<LanguageManager> languageManager, std::shared_ptr<Package> package, CWnd* parent);

    BOOL OnInitDialog() override;
    // Adds the offer to the shown offers each time the page is shown.
    void OnNavigateToPage() override;
    // Also fills the offer's name and addresses into the disclaimer after each language change.
    void UpdateTexts() override;
    CString GetPageName() const override { return L"ProductPage"; }
    PageKind GetPageKind() const override { return PageKind::Offer; }
    const std::shared_ptr<Package>& GetPackage() const { return m_package; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

private:
    void OnAccept();
    void OnDecline(ButtonType type);
    // The last offer of the flow, by the number admitted or by its own limit on offers in the flow.
    bool IsLastOfFlow() const;

    CLinkCtrl m_link;
    std::shared_ptr<Package> m_package;
    CStaticFromImage m_picture;
    CBrush m_backgroundBrush;
    CButton m_skipAllButton;
};
