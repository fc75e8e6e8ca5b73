#pragma once

#include <string>
#include <vector>

// What the fixture programs (offer installers, the fake product) recorded about their starts: each
// start leaves %TEMP%\tessera-runs\<program>-<pid>.txt with its command line and its own path.
struct FixtureRun {
    std::string commandLine;
    std::string path;
};

// The recorded starts of one program ("fake_offer_setup", "bramweb", "setup"), in no particular order.
std::vector<FixtureRun> FixtureRuns(const std::string& program);
// Forgets every recorded start.
void ClearFixtureRuns();
// Ends every slow_setup.exe that is still running (by its event), whatever name it was saved under.
void ReleaseSlowSetups();
