#include "MprisRootAdaptor.h"

#include "MprisProperties.h"

#include <QTimer>
#include <QWidget>

CMprisRootAdaptor::CMprisRootAdaptor(QObject* pObject, IDesktopPlayer& player, CPlayerStateWatch& watch,
                                     const QDBusConnection& connection)
    : QDBusAbstractAdaptor(pObject), m_player(player), m_watch(watch), m_connection(connection)
{
    connect(&m_watch, &CPlayerStateWatch::Changed, this, &CMprisRootAdaptor::_OnChanged);
}

QString CMprisRootAdaptor::Identity() const
{
    return QStringLiteral("korvoplayer");
}

// The launcher's name without ".desktop".
QString CMprisRootAdaptor::DesktopEntry() const
{
    return QStringLiteral("korvoplayer");
}

QStringList CMprisRootAdaptor::SupportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList CMprisRootAdaptor::SupportedMimeTypes() const
{
    return QStringLiteral(KORVOPLAYER_MIME_TYPES).split(QLatin1Char(','));
}

void CMprisRootAdaptor::Raise()
{
    QWidget& window = m_player.Window();
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}

void CMprisRootAdaptor::Quit()
{
    IDesktopPlayer* pPlayer = &m_player;
    QTimer::singleShot(0, &m_player.Window(), [pPlayer] { pPlayer->Command(PlayerCommand::Exit); });
}

void CMprisRootAdaptor::SetFullscreen(bool bFullScreen)
{
    m_player.SetFullScreen(bFullScreen);
    m_watch.Sample();
}

void CMprisRootAdaptor::_OnChanged(const PlayerSample& before, const PlayerSample& after)
{
    if (after.bFullScreen != before.bFullScreen)
        SendPropertiesChanged(m_connection, QStringLiteral("org.mpris.MediaPlayer2"),
                              {{QStringLiteral("Fullscreen"), Fullscreen()}});
}
