#include "MprisPlayerAdaptor.h"

#include "MprisProperties.h"

#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr LONGLONG kReferencePerMicrosecond = 10;

QString LocalName(const std::string& fileName)
{
    return QFile::decodeName(QByteArray::fromStdString(fileName));
}

// a + b, held at the ends of the 64-bit range instead of wrapping.
LONGLONG SaturatedSum(LONGLONG a, LONGLONG b)
{
    LONGLONG sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b < 0 ? std::numeric_limits<LONGLONG>::min() : std::numeric_limits<LONGLONG>::max();
    return sum;
}

} // namespace

CMprisPlayerAdaptor::CMprisPlayerAdaptor(QObject* pObject, IDesktopPlayer& player, CPlayerStateWatch& watch,
                                         const QDBusConnection& connection)
    : QDBusAbstractAdaptor(pObject), m_player(player), m_watch(watch), m_connection(connection)
{
    connect(&m_watch, &CPlayerStateWatch::Changed, this, &CMprisPlayerAdaptor::_OnChanged);
    connect(&m_watch, &CPlayerStateWatch::Seeked, this,
            [this](LONGLONG llPosition) { emit Seeked(llPosition / kReferencePerMicrosecond); });
}

QString CMprisPlayerAdaptor::PlaybackStatus() const
{
    switch (m_watch.Current().nState) {
    case State_Running:
        return QStringLiteral("Playing");
    case State_Paused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QDBusObjectPath CMprisPlayerAdaptor::_TrackId() const
{
    if (m_watch.Current().fileName.empty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/org/korvoplayer/track/%1").arg(m_nTrack));
}

QVariantMap CMprisPlayerAdaptor::Metadata() const
{
    const PlayerSample& sample = m_watch.Current();
    QVariantMap metadata{{QStringLiteral("mpris:trackid"), QVariant::fromValue(_TrackId())}};
    if (sample.fileName.empty())
        return metadata;
    const QString file = LocalName(sample.fileName);
    metadata.insert(QStringLiteral("xesam:title"), QFileInfo(file).fileName());
    // A name from the command line may be relative to the player's folder.
    metadata.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded));
    if (sample.llLength > 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(sample.llLength / kReferencePerMicrosecond));
    return metadata;
}

// Read live: MPRIS clients ask for the position rather than being told.
qlonglong CMprisPlayerAdaptor::Position() const
{
    LONGLONG llPosition = 0;
    if (!m_player.ReadPosition(&llPosition))
        return 0;
    return llPosition / kReferencePerMicrosecond;
}

// 0 pauses, as MPRIS asks; other rates are held to the range offered.
void CMprisPlayerAdaptor::SetRate(double dRate)
{
    if (std::isnan(dRate))
        return;
    if (dRate <= 0.0)
        return Pause();
    m_player.SetRate(std::clamp(dRate, MinimumRate(), MaximumRate()));
    m_watch.Sample();
}

void CMprisPlayerAdaptor::SetVolume(double dVolume)
{
    if (std::isnan(dVolume))
        return;
    m_player.SetVolume(static_cast<int>(std::lround(std::clamp(dVolume, 0.0, 1.0) * 100.0)));
    m_watch.Sample();
}

void CMprisPlayerAdaptor::_Command(PlayerCommand command)
{
    m_player.Command(command);
    m_watch.Sample();
}

void CMprisPlayerAdaptor::Next()
{
    _Command(PlayerCommand::Next);
}

void CMprisPlayerAdaptor::Previous()
{
    _Command(PlayerCommand::Previous);
}

// Pause and Play look at the state as it is now, not at the last sample:
// a rate change or seek just before moves it.
void CMprisPlayerAdaptor::Pause()
{
    m_watch.Sample();
    if (m_watch.Current().nState == State_Running)
        _Command(PlayerCommand::Pause);
}

void CMprisPlayerAdaptor::PlayPause()
{
    _Command(PlayerCommand::PlayPause);
}

void CMprisPlayerAdaptor::Stop()
{
    _Command(PlayerCommand::Stop);
}

void CMprisPlayerAdaptor::Play()
{
    m_watch.Sample();
    if (m_watch.Current().nState != State_Running)
        _Command(PlayerCommand::PlayPause);
}

// Before the start the file starts again; past the end is the next entry.
void CMprisPlayerAdaptor::Seek(qlonglong llOffset)
{
    m_watch.Sample();
    if (!CanSeek())
        return;
    const LONGLONG llLength = m_watch.Current().llLength / kReferencePerMicrosecond;
    const LONGLONG llTarget = SaturatedSum(Position(), llOffset);
    if (llTarget > llLength)
        return Next();
    _SeekTo(std::max<LONGLONG>(llTarget, 0));
}

// Only for the current track and within it; anything else is ignored.
void CMprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong llPosition)
{
    m_watch.Sample();
    if (!CanSeek() || trackId != _TrackId() || llPosition < 0 ||
        llPosition > m_watch.Current().llLength / kReferencePerMicrosecond)
        return;
    _SeekTo(llPosition);
}

void CMprisPlayerAdaptor::_SeekTo(LONGLONG llMicroseconds)
{
    m_player.SeekTo(llMicroseconds * kReferencePerMicrosecond);
}

// Plays a local file as the Open command does; other URIs and missing
// files are refused with an error the caller can show.
void CMprisPlayerAdaptor::OpenUri(const QString& uri, const QDBusMessage& call)
{
    const QUrl url(uri, QUrl::StrictMode);
    QString error;
    if (!url.isValid() || !url.isLocalFile())
        error = QStringLiteral("korvoplayer opens local files (file://) only, not %1").arg(uri);
    else if (!QFileInfo(url.toLocalFile()).isFile())
        error = QStringLiteral("No such file: %1").arg(url.toLocalFile());
    if (!error.isEmpty()) {
        call.setDelayedReply(true);
        m_connection.send(call.createErrorReply(QDBusError::InvalidArgs, error));
        return;
    }
    m_player.OpenFiles({url.toLocalFile()});
    m_watch.Sample();
}

void CMprisPlayerAdaptor::_OnChanged(const PlayerSample& before, const PlayerSample& after)
{
    if (after.fileName != before.fileName)
        ++m_nTrack;
    QVariantMap changed;
    auto note = [&](bool bDiffers, const char* pszName, const QVariant& value) {
        if (bDiffers)
            changed.insert(QLatin1StringView(pszName), value);
    };
    note(after.nState != before.nState, "PlaybackStatus", PlaybackStatus());
    note(after.fileName != before.fileName || after.llLength != before.llLength, "Metadata", Metadata());
    note(after.nVolume != before.nVolume, "Volume", Volume());
    note(after.dRate != before.dRate, "Rate", Rate());
    note(after.bCanNext != before.bCanNext, "CanGoNext", CanGoNext());
    note(after.bCanPrevious != before.bCanPrevious, "CanGoPrevious", CanGoPrevious());
    note(after.bCanPlay != before.bCanPlay, "CanPlay", CanPlay());
    note(after.bOpen != before.bOpen, "CanPause", CanPause());
    note(after.bOpen != before.bOpen || after.llLength != before.llLength, "CanSeek", CanSeek());
    if (!changed.isEmpty())
        SendPropertiesChanged(m_connection, QStringLiteral("org.mpris.MediaPlayer2.Player"), changed);
}
