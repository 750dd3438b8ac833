// Serialises the start-ups of this user's players, from the presence test to
// the moment the first player window has published its handle. The wait is
// bounded: a start that cannot get the lock in time goes on without it.
#pragma once

class CStartupLock {
public:
    CStartupLock();
    ~CStartupLock();
    CStartupLock(const CStartupLock&) = delete;
    CStartupLock& operator=(const CStartupLock&) = delete;

    void Release();

private:
    int m_fd = -1;
};
