#include "FileDropTarget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

CFileDropTarget::CFileDropTarget(QWidget* pWindow, Handler handler)
    : QObject(pWindow), m_pWindow(pWindow), m_handler(std::move(handler))
{
    m_pWindow->setAcceptDrops(true);
    m_pWindow->installEventFilter(this);
}

bool CFileDropTarget::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched != m_pWindow)
        return false;
    switch (pEvent->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* pDrag = static_cast<QDragMoveEvent*>(pEvent);
        if (pDrag->mimeData()->hasUrls())
            pDrag->acceptProposedAction();
        else
            pDrag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* pDrop = static_cast<QDropEvent*>(pEvent);
        if (!pDrop->mimeData()->hasUrls())
            return false;
        pDrop->acceptProposedAction();
        _Drop(*pDrop->mimeData());
        return true;
    }
    default:
        return false;
    }
}

void CFileDropTarget::_Drop(const QMimeData& data)
{
    QStringList files;
    QStringList refused;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files << url.toLocalFile();
        else
            refused << url.toDisplayString(QUrl::PreferLocalFile);
    }
    if (!files.isEmpty())
        m_handler(files);
    if (!refused.isEmpty())
        _Refuse(refused);
}

// The box does not hold up the window: the player goes on playing.
void CFileDropTarget::_Refuse(const QStringList& refused)
{
    if (m_pMessageBox != nullptr)
        m_pMessageBox->close();
    m_pMessageBox = new QMessageBox(QMessageBox::Warning, QStringLiteral("korvoplayer"),
                                    QStringLiteral("Only local files can be played. Not taken:\n%1")
                                        .arg(refused.join(QLatin1Char('\n'))),
                                    QMessageBox::Ok, m_pWindow);
    m_pMessageBox->setAttribute(Qt::WA_DeleteOnClose);
    m_pMessageBox->open();
}
