#pragma once

#include "framework/CString.h"

#include <string>
#include <vector>

// The messages of a setup log file, in order, without their time stamps and thread ids.
std::vector<std::string> LogMessages(const CString& path);

// Starts the process's setup log in a fresh file for as long as it lives; the file goes with it.
class ScopedSetupLog {
public:
    ScopedSetupLog();
    ~ScopedSetupLog();
    ScopedSetupLog(const ScopedSetupLog&) = delete;
    ScopedSetupLog& operator=(const ScopedSetupLog&) = delete;

    std::vector<std::string> Messages() const { return LogMessages(m_path); }
    // Whether a message holding text has been written.
    bool Contains(const std::string& text) const;

private:
    CString m_path;
};
