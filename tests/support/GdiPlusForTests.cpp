#include "GdiPlusForTests.h"

namespace {

// Version 99 does not exist: GdiplusStartup answers UnsupportedGdiplusVersion.
constexpr UINT32 kUnknownVersion = 99;

}  // namespace

std::optional<GdiPlusSession>& TestGdiPlusSession()
{
    static std::optional<GdiPlusSession> session;
    return session;
}

GdiPlusOutage::GdiPlusOutage()
{
    TestGdiPlusSession().reset();
    m_failed.emplace(kUnknownVersion);
    m_failed->Start();
}

GdiPlusOutage::~GdiPlusOutage()
{
    m_failed.reset();
    TestGdiPlusSession().emplace();
}
