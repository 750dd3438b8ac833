#include "CriticalCount.h"

namespace {

constexpr const char* kDomain = "GStreamer";

} // namespace

CCriticalCount::CCriticalCount()
    : m_handler(g_log_set_handler(kDomain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL), _Count, &m_count))
{
}

CCriticalCount::~CCriticalCount()
{
    g_log_remove_handler(kDomain, m_handler);
}

void CCriticalCount::_Count(const gchar*, GLogLevelFlags, const gchar*, gpointer pCount)
{
    ++*static_cast<int*>(pCount);
}
