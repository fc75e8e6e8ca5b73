#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace win32 {

// A registry call that failed: a fixed text naming the call, and the status it returned.
class RegistryError : public std::exception {
public:
    RegistryError(const char* message, LONG status) : m_message(message), m_status(status) {}

    const char* what() const noexcept override { return m_message.c_str(); }
    LONG Status() const noexcept { return m_status; }

private:
    std::string m_message;
    LONG m_status;
};

}  // namespace win32
