#pragma once

#include "app/OfferDelivery.h"
#include "app/OfferSequencer.h"
#include "framework/CBrush.h"
#include "framework/CDialogEx.h"
#include "framework/CRect.h"
#include "framework/CStatic.h"
#include "framework/UniqueHandle.h"
#include "pages/ButtonType.h"
#include "pages/CStaticFromImage.h"

#include <deque>
#include <memory>
#include <vector>

class ErrorPage;
class IPage;
class LanguageManager;
class Package;

// The main window of the setup: it owns the wizard pages, shows one at a time inside its frame,
// reacts to every page's buttons, adds the rest of the wizard once the configuration has arrived,
// shows the error page on request and asks before the user quits.
class CTesseraDlg : public CDialogEx {
public:
    // Posted to the dialog, both parameters 0, once the offers have been handed over.
    static constexpr UINT WM_LOAD_COMPLETE = WM_USER + 3;
    // Posted to itself while it creates the configured pages, one page per message.
    static constexpr UINT WM_CREATE_NEXT_PAGE = WM_USER + 5;
    // Posted to itself once the first page is up: the error and loading pages are made then.
    static constexpr UINT WM_CREATE_START_PAGES = WM_USER + 6;

    explicit CTesseraDlg(CWnd* parent = nullptr);
    ~CTesseraDlg() override;

    BOOL OnInitDialog() override;
    // Neither Enter nor Escape ends the wizard; closing goes through OnClose and its confirmation.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;

private:
    friend class CTesseraDlgTestPeer;

    bool AcquireSingleInstance();
    bool ApplyWizardTitle();
    bool CreateInitialPages();
    CRect PageRectangle();
    void CreatePage(IPage& page, const CRect& rect);
    void CreateAndAddPage(std::unique_ptr<IPage> page, const CRect& rect);
    // Adds a page whose window is made later.
    void AddPage(std::unique_ptr<IPage> page);
    // Makes the windows of the error and loading pages, unless they are there.
    void EnsureStartPages();
    LRESULT OnLoadCompleteMessage(WPARAM, LPARAM);
    // The one place that lists the pages following the loading page, in the wizard's order.
    void QueueConfiguredPages();
    // Creates the next queued page; after the last one, shows the first page the configuration brought.
    LRESULT OnCreateNextPage(WPARAM, LPARAM);
    void OnPageButton(ButtonType type);
    void StartSetupPackage();
    void ShowPage(int index);
    void ShowErrorPage(const CString& title, const CString& text);
    int CountOfferPagesToSkip();
    int OfferPagesAfter(int index) const;
    CString ShownPageName() const;
    void RemoveTempFolder();
    void OnClose();
    bool OnSysCommand(WPARAM command, LPARAM lParam);
    bool OnPaint();
    void ReleaseImages();

    HICON m_hIcon;
    std::vector<std::unique_ptr<IPage>> m_pages;
    int m_currentPage = 0;
    std::unique_ptr<ErrorPage> m_errorPage;
    std::shared_ptr<LanguageManager> m_languageManager;
    bool m_errorShown = false;
    bool m_installInProgress = false;
    bool m_wentBack = false;
    CStatic m_titleLabel;
    CStaticFromImage m_productIcon;
    CStatic m_separator;
    CBrush m_bandBrush;
    CStatic m_band;
    // The offers that passed the checks (one offer page each), the cursor and the sticky flags.
    OfferSequencer m_offerSequence;
    // Brings the offers over from the loading threads; closed when the user quits.
    std::shared_ptr<OfferDelivery> m_offerDelivery;
    UniqueKernelHandle m_singleInstanceMutex;
    bool m_closing = false;
    // The pages the configuration brings have been added; they are added once.
    bool m_configurationArrived = false;
    // Pages waiting to be created. Creating them one per message keeps the window answering meanwhile.
    std::deque<std::unique_ptr<IPage>> m_pagesToCreate;
    bool m_firstPaintSeen = false;
};
