#include "SkinArchiveBuilder.h"

#include <QBuffer>
#include <QImage>
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
