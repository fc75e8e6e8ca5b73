#include <doctest/doctest.h>

#include "PageTestHelpers.h"
#include "locale/LanguageManager.h"
#include "pages/ErrorPage.h"
#include "resource.h"

#include <vector>

TEST_CASE("The error page shows the reported texts and sends Close")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    ErrorPage page(manager, &host);
    page.m_title = L"Something went wrong";
    REQUIRE(page.Create(page.TemplateId(), &host));
    CHECK(page.GetPageName() == L"ErrorPage");
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_TITLE) == L"Something went wrong");

    page.m_title = L"Error occurred while installing Bramble Web.";
    page.m_text = L"Click on \"Close\" and try again later.";
    page.UpdateData(FALSE);
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_TITLE) == page.m_title);
    CHECK(ControlText(page.m_hWnd, IDC_ERROR_TEXT) == page.m_text);

    std::vector<ButtonType> pressed;
    int errors = 0;
    page.SetButtonHandler([&pressed](ButtonType type) { pressed.push_back(type); });
    page.SetErrorHandler([&errors](const CString&, const CString&) { ++errors; });
    ClickButton(page.m_hWnd, IDC_ERROR_CLOSE);
    REQUIRE(pressed.size() == 1);
    CHECK(pressed[0] == ButtonType::Close);
    CHECK(errors == 0);
}
