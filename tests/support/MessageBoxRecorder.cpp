#include "MessageBoxRecorder.h"

MessageBoxRecorder::MessageBoxRecorder(int answer) : m_answer(answer)
{
    m_previous = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        return m_answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHandler(std::move(m_previous));
}

void MessageBoxRecorder::SetAnswer(int answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<MessageBoxRequest> MessageBoxRecorder::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void MessageBoxRecorder::Clear()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}
