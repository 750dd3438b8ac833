#include "PrivateSessionBus.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

const CPrivateSessionBus& CPrivateSessionBus::Get()
{
    static CPrivateSessionBus bus;
    return bus;
}

CPrivateSessionBus::CPrivateSessionBus()
{
    // The daemon forks away and prints its address and its process id.
    std::FILE* pOutput = ::popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", "r");
    if (pOutput == nullptr)
        return;
    char szLine[512];
    std::string address;
    if (std::fgets(szLine, sizeof szLine, pOutput) != nullptr)
        address = szLine;
    if (std::fgets(szLine, sizeof szLine, pOutput) != nullptr)
        m_pid = static_cast<pid_t>(std::atol(szLine));
    ::pclose(pOutput);
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r'))
        address.pop_back();
    if (address.empty() || m_pid <= 0)
        return;
    m_address = address;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
}

CPrivateSessionBus::~CPrivateSessionBus()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}
