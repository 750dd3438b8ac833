// A scratch directory for one test, removed with everything in it.
#pragma once

#include <string>

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_path; }

    // Writes `content` to the file `name` in the directory; returns its path.
    std::string WriteFile(const std::string& name, const std::string& content) const;

private:
    std::string m_path;
};
