// The message box the player window shows a failure in: the last report's
// lines, with what GStreamer said about the failure as its details. It does
// not hold up the window (the graph keeps answering while it is open); a new
// failure replaces the box of the last one. A failure while playing is
// shown from the graph's event and its details come as the controller's
// Error signal, in either order. Lives on the user-interface thread, as
// long as the window it is shown over; the controller outlives it.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <string>

class CDirectShow;

class CReportBox : public QObject {
    Q_OBJECT

public:
    // The box has the caption `caption`.
    CReportBox(QWidget& window, CDirectShow& graph, QString caption);

    // The box of the last failure, while it is open.
    QMessageBox* Box() const { return m_pBox; }
    void ShowLastReport();

private:
    void _AddDetails(const std::string& details);

    QWidget& m_window;
    CDirectShow& m_graph;
    QString m_caption;
    QPointer<QMessageBox> m_pBox;
    // The details of a failure told before its box opened.
    std::string m_pendingDetails;
};
