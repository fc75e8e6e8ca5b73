#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>

// A window's routing table from (message, control id, notification code) to a handler. It plays the part
// of MFC's message map: filled one entry per line in a constructor or OnInitDialog.
class MessageMap {
public:
    // Returns true when it handled the message and stored its result; false lets default processing run.
    using Handler = std::function<bool(WPARAM, LPARAM, LRESULT&)>;

    void OnMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);
    void OnMessageOrDefault(UINT message, Handler handler);
    void OnCommand(UINT controlId, UINT notificationCode, std::function<void()> handler);
    void OnNotify(UINT controlId, UINT notificationCode, std::function<LRESULT(NMHDR&)> handler);

    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    struct Key {
        UINT message;
        UINT controlId;
        UINT code;
        auto operator<=>(const Key&) const = default;
    };

    static Key KeyOf(UINT message, WPARAM wParam, LPARAM lParam);

    std::map<Key, Handler> m_entries;
};
