#pragma once

#include "framework/Waits.h"

// Test processes run the setup's waits (pauses and limits) at a hundredth (TestMain): a test about a
// wait itself holds one of these for as long as it needs the real ones.
class RealWaits {
public:
    RealWaits() : m_previous(Waits::Scale()) { Waits::SetScale(100); }
    ~RealWaits() { Waits::SetScale(m_previous); }
    RealWaits(const RealWaits&) = delete;
    RealWaits& operator=(const RealWaits&) = delete;

private:
    int m_previous;
};
