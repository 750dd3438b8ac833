// Writes skin archives (ZIP) for tests: a skin document and images of given
// sizes, under any entry names, including hostile ones.
#pragma once

#include <QColor>
#include <string>
#include <vector>

class CSkinArchiveBuilder {
public:
    explicit CSkinArchiveBuilder(std::string path) : m_path(std::move(path)) {}

    CSkinArchiveBuilder& Add(const std::string& name, const std::string& content);
    // A PNG image of w x h filled with `colour`.
    CSkinArchiveBuilder& AddImage(const std::string& name, int w, int h, QColor colour = Qt::gray);
    // The built-in skin repacked: its document and every bitmap of the
    // program under the name the document uses.
    CSkinArchiveBuilder& AddBuiltInSkin();
    // Replaces the content of entry `name` (which must exist).
    CSkinArchiveBuilder& Replace(const std::string& name, const std::string& content);
    CSkinArchiveBuilder& Remove(const std::string& name);
    // Replaces the first `from` in entry `name` (which must hold it) by `to`.
    CSkinArchiveBuilder& Edit(const std::string& name, const std::string& from, const std::string& to);
    // Writes the archive; returns its path.
    std::string Write() const;
    // Writes the entries as files under the folder `path`; returns it.
    std::string WriteFolder(const std::string& path) const;

private:
    std::string m_path;
    std::vector<std::pair<std::string, std::string>> m_entries;
};
