#include <doctest/doctest.h>

#include "PageTestHelpers.h"
#include "locale/LanguageManager.h"
#include "pages/ConfigurationsPageKVHeritage.h"
#include "pages/OptionsPageKVHeritage.h"
#include "profile/ConfigurationManager.h"
#include "resource.h"

#include <array>

namespace {

bool IsChecked(HWND page, int controlId)
{
    return SendMessageW(GetDlgItem(page, controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

TEST_CASE("The heritage options and configurations start checked and store what the user leaves")
{
    auto manager = std::make_shared<LanguageManager>();
    PageHost host;
    const auto configuration = ConfigurationManager::Instance();
    int nexts = 0;
    int backs = 0;
    const auto count = [&](ButtonType type) { (type == ButtonType::Next ? nexts : backs) += 1; };

    SUBCASE("options left untouched are all stored as chosen")
    {
        configuration->m_options = {false, false, false};
        OptionsPageKVHeritage options(manager, &host);
        REQUIRE(options.Create(options.TemplateId(), &host));
        options.SetButtonHandler(count);
        for (int id : {IDC_OPTIONS_CHECK_1, IDC_OPTIONS_CHECK_2, IDC_OPTIONS_CHECK_3}) {
            CHECK(IsChecked(options.m_hWnd, id));
        }
        ClickButton(options.m_hWnd, IDC_NEXT);
        CHECK(configuration->m_options == std::array<bool, 3>{true, true, true});
        CHECK(nexts == 1);
    }
    SUBCASE("configurations changed, left with Back and stored on the way forward again")
    {
        configuration->m_configurations = {false, false, false, false, false};
        ConfigurationsPageKVHeritage configurations(manager, &host);
        REQUIRE(configurations.Create(configurations.TemplateId(), &host));
        configurations.SetButtonHandler(count);
        ClickButton(configurations.m_hWnd, IDC_NEXT);
        CHECK(configuration->m_configurations == std::array<bool, 5>{true, true, true, true, true});

        // The first box carries its text in a separate label; clicking the box itself changes it.
        ClickButton(configurations.m_hWnd, IDC_CONFIGURATIONS_CHECK_1);
        ClickButton(configurations.m_hWnd, IDC_CONFIGURATIONS_CHECK_4);
        ClickButton(configurations.m_hWnd, IDC_BACK);
        CHECK(backs == 1);
        CHECK(configuration->m_configurations == std::array<bool, 5>{true, true, true, true, true});
        ClickButton(configurations.m_hWnd, IDC_NEXT);
        CHECK(configuration->m_configurations == std::array<bool, 5>{false, true, true, false, true});
        CHECK(nexts == 2);
    }
}
