#pragma once

#include "app/OfferSequencer.h"
#include "framework/CBrush.h"
#include "framework/Cancellation.h"
#include "framework/CDialogEx.h"
#include "framework/CRect.h"
#include "framework/CStatic.h"
#include "framework/UniqueHandle.h"
#include "pages/ButtonType.h"
#include "pages/CStaticFromImage.h"
#include "remote/Package.h"

#include <deque>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class ErrorPage;
class IPage;
class LanguageManager;

// The main window of the setup: it owns the wizard pages, shows one at a time inside its frame,
// reacts to every page's buttons, adds the rest of the wizard once the configuration has arrived,
// shows the error page on request and asks before the user quits. It owns the run's cancellation and
// hands it to every page; every way out (quit, Finish, Close on the error page) goes through EndRun.
class CTesseraDlg : public CDialogEx {
public:
    // How long the end of a run waits, the window already hidden, for the telemetry still on its way
    // (and for the workers, which end at once on the cancellation unless a transfer is waiting for data).
    // Each event gets all its attempts; an attempt with a host that never answers ends at the exchange's
    // limits (every stage at its limit), and the pause between attempts is cut short once the run has
    // ended: 2 attempts x (2 + 2 + 2 + 3) s = 18 s. Events still out at the bound are lost with the process.
    static constexpr std::chrono::milliseconds kEndOfRunBound =
        Package::kTelemetryAttempts * Package::kTelemetryLimits.Total();

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
    // Ends the run: hides the window, cancels the run so that nothing starts any more, sends the quit
    // events when quitting, waits for the sends within kEndOfRunBound, removes the temporary folder and
    // ends the dialog.
    void EndRun(bool quitting, INT_PTR result);
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
    // The offers the loading page handed over, until WM_LOAD_COMPLETE takes them.
    std::optional<std::vector<std::shared_ptr<Package>>> m_deliveredOffers;
    // The run: cancelled once it ends, however it ends.
    std::shared_ptr<Cancellation> m_run = std::make_shared<Cancellation>();
    UniqueKernelHandle m_singleInstanceMutex;
    bool m_closing = false;
    // The pages the configuration brings have been added; they are added once.
    bool m_configurationArrived = false;
    // Pages waiting to be created. Creating them one per message keeps the window answering meanwhile.
    std::deque<std::unique_ptr<IPage>> m_pagesToCreate;
    bool m_firstPaintSeen = false;
};
