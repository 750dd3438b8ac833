#include "MprisRootAdaptor.h"

#include "CommandIds.h"
#include "KorvoPlayerDlg.h"

#include <QTimer>

CMprisRootAdaptor::CMprisRootAdaptor(QObject* pObject, CKorvoPlayerDlg& dlg)
    : QDBusAbstractAdaptor(pObject), m_dlg(dlg)
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
    if (m_dlg.isMinimized())
        m_dlg.showNormal();
    m_dlg.raise();
    m_dlg.activateWindow();
}

void CMprisRootAdaptor::Quit()
{
    CKorvoPlayerDlg* pDlg = &m_dlg;
    QTimer::singleShot(0, pDlg, [pDlg] { pDlg->OnCommand(ID_APP_EXIT); });
}
