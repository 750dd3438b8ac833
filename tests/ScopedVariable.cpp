#include "ScopedVariable.h"

#include <cstdlib>

CScopedVariable::CScopedVariable(std::string name, const std::string& value) : m_name(std::move(name))
{
    if (const char* psz = std::getenv(m_name.c_str()))
        m_old = psz;
    ::setenv(m_name.c_str(), value.c_str(), 1);
}

CScopedVariable::~CScopedVariable()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}
