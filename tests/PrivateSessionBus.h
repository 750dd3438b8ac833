// A session bus of the test's own: a dbus-daemon started for this process,
// its address put into DBUS_SESSION_BUS_ADDRESS before anything connects, so
// that this process and the players it starts meet there and nowhere else.
// The daemon is ended with the process.
#pragma once

#include <string>
#include <sys/types.h>

class CPrivateSessionBus {
public:
    // The one bus of this process, started on first use; its address is
    // empty when dbus-daemon could not be started.
    static const CPrivateSessionBus& Get();

    const std::string& Address() const { return m_address; }

    CPrivateSessionBus(const CPrivateSessionBus&) = delete;
    CPrivateSessionBus& operator=(const CPrivateSessionBus&) = delete;

private:
    CPrivateSessionBus();
    ~CPrivateSessionBus();

    std::string m_address;
    pid_t m_pid = 0;
};
