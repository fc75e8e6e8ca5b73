#include "framework/MessageBoxSeam.h"

#include "framework/AfxGlobals.h"

#include <mutex>
#include <utility>

namespace {

std::mutex& HandlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(HandlerMutex());
    return std::exchange(CurrentHandler(), std::move(handler));
}

int ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type)
{
    MessageBoxHandler handler;
    {
        std::lock_guard lock(HandlerMutex());
        handler = CurrentHandler();
    }
    if (handler) {
        return handler(MessageBoxRequest{owner, text, caption, type});
    }
    return MessageBoxW(owner, text, caption, type);
}

int AfxMessageBox(const CString& text, UINT type)
{
    HWND owner = GetActiveWindow();
    return ShowMessageBox(owner, text, AfxGetAppName(), type);
}
