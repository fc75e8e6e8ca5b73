#include "framework/Cancellation.h"

#include "framework/Waits.h"

Cancellation::Cancellation() : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

void Cancellation::Cancel()
{
    SetEvent(m_event.Get());
}

bool Cancellation::IsCancelled() const
{
    return WaitForSingleObject(m_event.Get(), 0) == WAIT_OBJECT_0;
}

bool Cancellation::Pause(std::chrono::milliseconds duration) const
{
    const auto scaled = Waits::Of(duration);
    return WaitForSingleObject(m_event.Get(), static_cast<DWORD>(scaled.count())) == WAIT_OBJECT_0;
}

const Cancellation& Cancellation::Never()
{
    // Never destroyed: workers of no run may wait on it until the process ends.
    static const Cancellation* const never = new Cancellation();
    return *never;
}
