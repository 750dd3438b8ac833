#include "PlaybackMemory.h"

#include "common/Report.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace {

constexpr int kSampleMs = 500;
constexpr LONGLONG kSecond = 10'000'000;

// A file is remembered by its absolute path, so that a name given relative
// to one folder finds it from another; a URI as it is.
std::string FileKey(const QString& fileName)
{
    if (fileName.contains(QStringLiteral("://")))
        return QFile::encodeName(fileName).toStdString();
    return QFile::encodeName(QDir::cleanPath(QFileInfo(fileName).absoluteFilePath())).toStdString();
}

} // namespace

CPlaybackMemory::CPlaybackMemory(CDirectShow& graph, std::filesystem::path file)
    : m_graph(graph),
      m_memory(std::move(file))
{
    m_memory.Load();
    m_bResumeOn = m_memory.ResumeOn();
    CPlaybackEvents& events = m_graph.Events();
    connect(&events, &CPlaybackEvents::FileOpened, this, &CPlaybackMemory::_OnFileOpened);
    connect(&events, &CPlaybackEvents::DurationChanged, this, &CPlaybackMemory::_OnDuration);
    connect(&events, &CPlaybackEvents::StateChanged, this, &CPlaybackMemory::_OnState);
    connect(&events, &CPlaybackEvents::PositionJumped, this, [this](LONGLONG llPosition) {
        if (!m_file.empty())
            m_llPosition = llPosition;
    });
    connect(&events, &CPlaybackEvents::EndOfStream, this, [this] { m_bEnded = !m_file.empty(); });
    connect(&m_sampler, &QTimer::timeout, this, &CPlaybackMemory::TakePosition);
}

CPlaybackMemory::~CPlaybackMemory()
{
    TakePosition();
    _LeaveFile();
}

std::optional<int> CPlaybackMemory::RememberedVolume()
{
    m_nVolume = m_memory.Volume();
    return m_nVolume;
}

void CPlaybackMemory::NoteVolume(int nVolume)
{
    if (m_nVolume == nVolume)
        return;
    m_nVolume = nVolume;
    _Remember([&] { m_memory.SetVolume(nVolume); });
}

void CPlaybackMemory::SetResumeOn(bool bOn)
{
    m_bResumeOn = bOn;
    _Remember([&] { m_memory.SetResumeOn(bOn); });
}

void CPlaybackMemory::StartFromBeginning()
{
    if (m_file.empty() || !m_graph.IsOpen())
        return;
    m_llResumeAt.reset();
    if (m_graph.SetPosition(0) != S_OK)
        return;
    m_llPosition = 0;
    emit StartedOver();
}

QString CPlaybackMemory::ResumedText(LONGLONG llPosition)
{
    const auto llSeconds = static_cast<long long>(llPosition / kSecond);
    return QString::asprintf("Resumed at %lld:%02lld:%02lld (Home: from the beginning)", llSeconds / 3600,
                             llSeconds / 60 % 60, llSeconds % 60);
}

// The length may be told before the file is told open (while it is being
// started) or after: the file is sent to where it was left once it is known.
void CPlaybackMemory::_OnFileOpened(const QString& fileName)
{
    _LeaveFile();
    m_file = FileKey(fileName);
    m_llPosition = 0;
    m_llLength = 0;
    m_bEnded = false;
    if (m_bResumeOn)
        m_llResumeAt = m_memory.Resume().Find(m_file);
    m_sampler.start(kSampleMs);
    _OnDuration(m_graph.Events().ToldDuration());
}

// The seek waits until the start of the file has ended: the length is told
// while the file is still being started.
void CPlaybackMemory::_OnDuration(LONGLONG llDuration)
{
    if (m_file.empty() || llDuration <= 0)
        return;
    m_llLength = llDuration;
    if (m_llResumeAt)
        QMetaObject::invokeMethod(this, &CPlaybackMemory::_Resume, Qt::QueuedConnection);
}

void CPlaybackMemory::_Resume()
{
    if (!m_llResumeAt || m_llLength <= 0 || !m_graph.IsOpen())
        return;
    const LONGLONG llPosition = *std::exchange(m_llResumeAt, std::nullopt);
    if (llPosition > m_llLength - kResumeMargin)
        return;
    if (m_graph.SetPosition(llPosition) != S_OK)
        return;
    m_llPosition = llPosition;
    emit Resumed(llPosition);
}

void CPlaybackMemory::_OnState(int nState)
{
    if (nState == State_Stopped)
        _LeaveFile();
    else if (nState == State_Paused)
        TakePosition();
}

void CPlaybackMemory::TakePosition()
{
    LONGLONG llPosition = 0;
    if (!m_file.empty() && m_graph.IsOpen() && m_graph.GetPosition(&llPosition) == S_OK)
        m_llPosition = llPosition;
}

// A file closed before it could be sent to where it was left keeps that
// place; one played to its end is forgotten.
void CPlaybackMemory::_LeaveFile()
{
    if (m_file.empty())
        return;
    m_sampler.stop();
    const std::string file = std::exchange(m_file, std::string());
    if (std::exchange(m_llResumeAt, std::nullopt))
        return;
    _Remember([&] {
        if (m_bEnded)
            m_memory.Resume().Forget(file);
        else
            m_memory.Resume().Note(file, m_llPosition, m_llLength);
    });
}

template <typename Change>
void CPlaybackMemory::_Remember(Change change)
{
    m_memory.Load();
    change();
    std::string error;
    if (!m_memory.Save(&error) && !std::exchange(m_bSaveFailed, true))
        Trace("the player's state is not remembered: %s", error.c_str());
}
