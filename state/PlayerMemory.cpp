#include "PlayerMemory.h"

#include "AtomicFile.h"
#include "common/Report.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
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

// A time as the file holds it; a value no 64-bit count can hold (a
// hand-edited 1e300) becomes -1, which no resume point keeps.
LONGLONG TimeFromJson(const QJsonValue& value)
{
    constexpr double kLimit = 9.0e18;
    const double dValue = value.toDouble();
    return dValue > -kLimit && dValue < kLimit ? static_cast<LONGLONG>(dValue) : -1;
}

ResumePoint FromJson(const QJsonObject& object)
{
    return {object.value("file").toString().toStdString(), TimeFromJson(object.value("position")),
            TimeFromJson(object.value("length"))};
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
    // Rounded: Qt reads a volume of 50.5 as no integer at all (0, muted).
    if (volume.isDouble() && volume.toDouble() >= 0 && volume.toDouble() <= 100)
        m_nVolume = static_cast<int>(std::lround(volume.toDouble()));
    m_skin = root.value("skin").toString().toStdString();
    m_bResumeOn = root.value("resumeOn").toBool(true);
    std::vector<ResumePoint> points;
    for (const QJsonValue point : root.value("resume").toArray())
        points.push_back(FromJson(point.toObject()));
    m_resume.Assign(points);
    return true;
}

bool CPlayerMemory::Save() const
{
    std::string error;
    if (Save(&error))
        return true;
    Trace("the player's state is not remembered: %s", error.c_str());
    return false;
}

bool CPlayerMemory::Save(std::string* pError) const
{
    QJsonObject root{{"format", kFormat}, {"skin", QString::fromStdString(m_skin)}, {"resumeOn", m_bResumeOn}};
    if (m_nVolume)
        root.insert("volume", *m_nVolume);
    QJsonArray points;
    for (const ResumePoint& point : m_resume.Points())
        points.append(ToJson(point));
    root.insert("resume", points);
    return WriteFileAtomically(m_file, QJsonDocument(root).toJson().toStdString(), pError);
}
