// Makes a window take files dropped on it (file-manager drags arrive as
// text/uri-list): the local files go to the window's handler in the order
// dropped; non-local URIs and names that are not files are refused with a
// message box saying which. Installed as an event filter of the window.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>


class QMimeData;
class QWidget;

class CFileDropTarget : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const QStringList& files)>;

    // Takes drops on `pWindow` (which it is a child of) for `handler`.
    CFileDropTarget(QWidget* pWindow, Handler handler);

    // The message box of the last refusal, while it is open.
    QMessageBox* MessageBox() const { return m_pMessageBox; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void _Drop(const QMimeData& data);
    void _Refuse(const QStringList& refused);

    QWidget* m_pWindow;
    Handler m_handler;
    QPointer<QMessageBox> m_pMessageBox;
};
