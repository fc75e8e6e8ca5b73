#pragma once

#include "framework/Pauses.h"

// Test processes run the setup's pauses between attempts at a hundredth (TestMain): a test about a
// pause itself holds one of these for as long as it needs the real ones.
class RealPauses {
public:
    RealPauses() : m_previous(Pauses::Scale()) { Pauses::SetScale(100); }
    ~RealPauses() { Pauses::SetScale(m_previous); }
    RealPauses(const RealPauses&) = delete;
    RealPauses& operator=(const RealPauses&) = delete;

private:
    int m_previous;
};
