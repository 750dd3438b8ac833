// An environment variable set for the life of this object and put back as it
// was afterwards (unset when it was not set).
#pragma once

#include <optional>
#include <string>

class CScopedVariable {
public:
    CScopedVariable(std::string name, const std::string& value);
    ~CScopedVariable();
    CScopedVariable(const CScopedVariable&) = delete;
    CScopedVariable& operator=(const CScopedVariable&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
