#pragma once

#include "framework/MessageBoxSeam.h"

#include <mutex>
#include <vector>

// Records every message box shown while it lives and answers each with a chosen button.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void SetAnswer(int answer);
    std::vector<MessageBoxRequest> Requests() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    int m_answer;
    std::vector<MessageBoxRequest> m_requests;
    MessageBoxHandler m_previous;
};
