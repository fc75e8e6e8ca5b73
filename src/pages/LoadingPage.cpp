#include "pages/LoadingPage.h"

#include "resource.h"

#include <commctrl.h>

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager, CWnd* parent)
    : IPage(std::move(languageManager), IDD_LOADING_PAGE, parent)
{
}

void LoadingPage::DoDataExchange(CDataExchange* exchange)
{
    IPage::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PROGRESS, m_progress);
}

void LoadingPage::OnNavigateToPage()
{
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    m_progress.SetMarquee(TRUE, 30);
    m_progress.ModifyStyle(0, PBS_MARQUEE);
}
