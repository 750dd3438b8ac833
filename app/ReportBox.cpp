#include "ReportBox.h"

#include "common/Report.h"
#include "playback/DirectShow.h"

#include <utility>

CReportBox::CReportBox(QWidget& window, CDirectShow& graph, QString caption)
    : m_window(window), m_graph(graph), m_caption(std::move(caption))
{
    connect(&m_graph.Events(), &CPlaybackEvents::Error, this,
            [this](const PlaybackError& error) { _AddDetails(error.Details()); });
}

void CReportBox::ShowLastReport()
{
    if (m_pBox != nullptr)
        m_pBox->close();
    m_pBox = new QMessageBox(QMessageBox::Warning, m_caption, QString::fromStdString(LastReport()), QMessageBox::Ok,
                             &m_window);
    // A failure of the controller's comes with what GStreamer said about it.
    if (m_graph.LastError().text == LastReport())
        m_pBox->setDetailedText(QString::fromStdString(m_graph.LastError().Details()));
    m_pBox->setAttribute(Qt::WA_DeleteOnClose);
    const std::string pending = std::exchange(m_pendingDetails, {});
    if (m_pBox->detailedText().isEmpty() && !pending.empty())
        m_pBox->setDetailedText(QString::fromStdString(pending));
    m_pBox->open();
}

void CReportBox::_AddDetails(const std::string& details)
{
    if (m_pBox == nullptr)
        m_pendingDetails = details;
    else if (m_pBox->detailedText().isEmpty() && !details.empty())
        m_pBox->setDetailedText(QString::fromStdString(details));
}
