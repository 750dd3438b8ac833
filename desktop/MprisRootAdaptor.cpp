#include "MprisRootAdaptor.h"

#include "DesktopPlayer.h"

#include <QTimer>
#include <QWidget>

CMprisRootAdaptor::CMprisRootAdaptor(QObject* pObject, IDesktopPlayer& player)
    : QDBusAbstractAdaptor(pObject), m_player(player)
{
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
