#pragma once

// The setup log of one run, kept for as long as this object lives: it is started in the user's
// temporary folder (not the setup's own, which is removed at the end) as
// "Tessera_<yyyyMMdd_HHmmss>_<process id>.log", opens with what the run is and where, and closes with
// its end.
class RunLog {
public:
    RunLog();
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;
};
