#include "ServerCounters.h"

#include <atomic>

namespace {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_serverLocks{0};

} // namespace

CLiveObject::CLiveObject()
{
    ++g_liveObjects;
}

CLiveObject::~CLiveObject()
{
    --g_liveObjects;
}

void LockServer(bool isLock)
{
    if (isLock)
        ++g_serverLocks;
    else
        --g_serverLocks;
}

HRESULT CanUnloadNow()
{
    return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE;
}
