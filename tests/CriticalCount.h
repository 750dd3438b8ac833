// Counts GStreamer's critical warnings (an element dropped before it was
// stopped, among others) while in scope.
#pragma once

#include <glib.h>

class CCriticalCount {
public:
    CCriticalCount();
    ~CCriticalCount();
    CCriticalCount(const CCriticalCount&) = delete;
    CCriticalCount& operator=(const CCriticalCount&) = delete;

    int Count() const { return m_count; }

private:
    static void _Count(const gchar* pszDomain, GLogLevelFlags level, const gchar* pszMessage, gpointer pCount);

    int m_count = 0;
    guint m_handler;
};
