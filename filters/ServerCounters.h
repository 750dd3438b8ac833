// The library's counts of live objects and server locks, which tell when it
// could be unloaded.
#pragma once

#include "common/ComTypes.h"

// Counts one live object of the library for its own lifetime.
class CLiveObject {
public:
    CLiveObject();
    ~CLiveObject();
    CLiveObject(const CLiveObject&) = delete;
    CLiveObject& operator=(const CLiveObject&) = delete;
};

// Takes (true) or drops (false) one server lock.
void LockServer(bool isLock);

// S_OK when no object is alive and no lock is held, otherwise S_FALSE.
HRESULT CanUnloadNow();
