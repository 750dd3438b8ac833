#include "SkinArchiveBuilder.h"

#include "skin/SkinBitmapTable.h"
#include "winsys/WindowSystem.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <zip.h>

CSkinArchiveBuilder& CSkinArchiveBuilder::Add(const std::string& name, const std::string& content)
{
    m_entries.emplace_back(name, content);
    return *this;
}

CSkinArchiveBuilder& CSkinArchiveBuilder::AddImage(const std::string& name, int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Add(name, bytes.toStdString());
}

std::string CSkinArchiveBuilder::Write() const
{
    int nError = 0;
    zip_t* pZip = zip_open(m_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &nError);
    if (pZip == nullptr)
        throw std::runtime_error("zip_open failed");
    for (const auto& [name, content] : m_entries) {
        zip_source_t* pSource = zip_source_buffer(pZip, content.data(), content.size(), 0);
        if (pSource == nullptr || zip_file_add(pZip, name.c_str(), pSource, ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error("zip_file_add failed");
    }
    if (zip_close(pZip) != 0)
        throw std::runtime_error("zip_close failed");
    return m_path;
}

CSkinArchiveBuilder& CSkinArchiveBuilder::AddBuiltInSkin()
{
    QByteArray document;
    if (!LoadResourceData(IDR_SKIN_XML, "XML", document))
        throw std::runtime_error("no built-in skin document");
    Add("skin.xml", document.toStdString());
    for (const SkinBitmapEntry& entry : SkinBitmapTable()) {
        // A name of the table without an image is not used by the document.
        if (entry.nWidth == 0)
            continue;
        QFile file(QString::asprintf(kSkinBitmapResourceFormat, entry.nID));
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("no built-in bitmap");
        Add(entry.pszName, file.readAll().toStdString());
    }
    return *this;
}

CSkinArchiveBuilder& CSkinArchiveBuilder::Replace(const std::string& name, const std::string& content)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) { return entry.first == name; });
    if (it == m_entries.end())
        throw std::runtime_error("no entry " + name);
    it->second = content;
    return *this;
}

CSkinArchiveBuilder& CSkinArchiveBuilder::Edit(const std::string& name, const std::string& from, const std::string& to)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) { return entry.first == name; });
    const size_t nAt = it == m_entries.end() ? std::string::npos : it->second.find(from);
    if (nAt == std::string::npos)
        throw std::runtime_error("no \"" + from + "\" in " + name);
    it->second.replace(nAt, from.size(), to);
    return *this;
}

CSkinArchiveBuilder& CSkinArchiveBuilder::Remove(const std::string& name)
{
    std::erase_if(m_entries, [&](const auto& entry) { return entry.first == name; });
    return *this;
}

std::string CSkinArchiveBuilder::WriteFolder(const std::string& path) const
{
    for (const auto& [name, content] : m_entries) {
        const std::filesystem::path file = std::filesystem::path(path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    return path;
}
