#pragma once

#include "CTesseraDlgTestPeer.h"
#include "MessageBoxRecorder.h"
#include "StandInService.h"
#include "WindowTestHelpers.h"
#include "framework/MessagePump.h"
#include "profile/ConfigurationManager.h"
#include "profile/MachineFacts.h"
#include "resource.h"

#include <chrono>

// Points the configuration at this suite's service and at a scratch temporary folder. The configuration
// endpoint stays busy, so the wizard waits on its loading page unless a case loads a scenario that answers.
struct ControllerFixture {
    ControllerFixture()
    {
        service.LoadScenario(nlohmann::json{
            {"extends", "empty"}, {"faults", {{"/o", {{"steps", {{{"status", 503}}}}, {"repeat", true}}}}}});
        auto configuration = ConfigurationManager::Instance();
        configuration->m_configUrl = CString(service.BaseUrl() + L"/o");
        configuration->m_imageBaseUrl = CString(service.BaseUrl() + L"/f/");
        configuration->m_telemetryUrl = CString(service.BaseUrl() + L"/zbd");
        configuration->m_tempFolder = MachineFacts::CreateUniqueTempFolder();
        configuration->m_setupPackage.reset();
        configuration->m_offerCount = 0;
        configuration->m_offerAdjustment = 0;
        configuration->m_offerDeclined = false;
        configuration->m_shownOffers.clear();
        configuration->m_acceptedOffers.clear();
        dialog.SetBackgroundColor(RGB(255, 255, 255));
        REQUIRE(dialog.Create(IDD_TESSERA_DIALOG));
    }

    int EventsWithId(const char* id)
    {
        int count = 0;
        for (const auto& event : service.Events()) {
            if (event.contains("event") && event["event"].is_object() && event["event"].value("6", "") == id) {
                ++count;
            }
        }
        return count;
    }

    bool WaitForEvents(const char* id, int count)
    {
        return PumpMessagesUntil([&] { return EventsWithId(id) >= count; }, std::chrono::seconds(15));
    }

    StandInService service;
    MessageBoxRecorder boxes{IDCANCEL};
    CTesseraDlg dialog;
    CTesseraDlgTestPeer peer{dialog};
};
