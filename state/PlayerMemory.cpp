#include "PlayerMemory.h"

#include "AtomicFile.h"
#include "common/Report.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace {

constexpr int kFormat = 1;
// Two hundred entries of long paths stay far below this.
constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

QJsonObject ToJson(const ResumePoint& point)
{
    return {{"file", QString::fromStdString(point.file)},
            {"position", static_cast<double>(point.llPosition)},
            {"length", static_cast<double>(point.llLength)}};
}

ResumePoint FromJson(const QJsonObject& object)
{
    return {object.value("file").toString().toStdString(),
            static_cast<LONGLONG>(object.value("position").toDouble()),
            static_cast<LONGLONG>(object.value("length").toDouble())};
}

} // namespace

CPlayerMemory::CPlayerMemory(std::filesystem::path file) : m_file(std::move(file))
{
}

std::filesystem::path CPlayerMemory::DefaultFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::filesystem::path(folder.toStdString()) / "korvoplayer" / "state.json";
}

void CPlayerMemory::SetVolume(int nVolume)
{
    m_nVolume = std::clamp(nVolume, 0, 100);
}

void CPlayerMemory::Load()
{
    *this = CPlayerMemory(m_file);
    std::error_code error;
    if (!std::filesystem::exists(m_file, error))
        return;
    const std::optional<std::string> text = ReadSmallFile(m_file, kMaxFileBytes);
    if (!text || !_Parse(*text)) {
        *this = CPlayerMemory(m_file);
        Trace("the remembered state in %s cannot be read; the player starts without it", m_file.c_str());
    }
}

bool CPlayerMemory::_Parse(const std::string& text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (root.value("format").toInt() != kFormat)
        return false;
    const QJsonValue volume = root.value("volume");
    if (volume.isDouble() && volume.toDouble() >= 0 && volume.toDouble() <= 100)
        m_nVolume = volume.toInt();
    m_skin = root.value("skin").toString().toStdString();
    std::vector<ResumePoint> points;
    for (const QJsonValue point : root.value("resume").toArray())
        points.push_back(FromJson(point.toObject()));
    m_resume.Assign(points);
    return true;
}

bool CPlayerMemory::Save() const
{
    QJsonObject root{{"format", kFormat}, {"skin", QString::fromStdString(m_skin)}};
    if (m_nVolume)
        root.insert("volume", *m_nVolume);
    QJsonArray points;
    for (const ResumePoint& point : m_resume.Points())
        points.append(ToJson(point));
    root.insert("resume", points);
    std::string error;
    if (WriteFileAtomically(m_file, QJsonDocument(root).toJson().toStdString(), &error))
        return true;
    Trace("the player's state is not remembered: %s", error.c_str());
    return false;
}
