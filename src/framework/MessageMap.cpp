#include "framework/MessageMap.h"

void MessageMap::OnMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler)
{
    m_entries[{message, 0, 0}] = [handler = std::move(handler)](WPARAM wParam, LPARAM lParam, LRESULT& result) {
        result = handler(wParam, lParam);
        return true;
    };
}

void MessageMap::OnMessageOrDefault(UINT message, Handler handler)
{
    m_entries[{message, 0, 0}] = std::move(handler);
}

void MessageMap::OnCommand(UINT controlId, UINT notificationCode, std::function<void()> handler)
{
    m_entries[{WM_COMMAND, controlId, notificationCode}] = [handler = std::move(handler)](WPARAM, LPARAM,
                                                                                         LRESULT& result) {
        handler();
        result = 0;
        return true;
    };
}

void MessageMap::OnNotify(UINT controlId, UINT notificationCode, std::function<LRESULT(NMHDR&)> handler)
{
    m_entries[{WM_NOTIFY, controlId, notificationCode}] = [handler = std::move(handler)](WPARAM, LPARAM lParam,
                                                                                        LRESULT& result) {
        result = handler(*reinterpret_cast<NMHDR*>(lParam));
        return true;
    };
}

MessageMap::Key MessageMap::KeyOf(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        return {message, LOWORD(wParam), HIWORD(wParam)};
    }
    if (message == WM_NOTIFY && lParam != 0) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        return {message, static_cast<UINT>(header->idFrom), header->code};
    }
    return {message, 0, 0};
}

bool MessageMap::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const
{
    const auto entry = m_entries.find(KeyOf(message, wParam, lParam));
    if (entry == m_entries.end()) {
        return false;
    }
    return entry->second(wParam, lParam, result);
}
