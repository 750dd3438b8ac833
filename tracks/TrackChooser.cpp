#include "TrackChooser.h"

#include "TrackCommands.h"
#include "common/Report.h"
#include "playback/AudioTracks.h"
#include "playback/DirectShow.h"
#include "playback/SubtitleOverlay.h"
#include "subtitles/SubtitleFinder.h"

#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

namespace {

// The entry that shows a key: the text, a tab, the key.
QString Entry(const char* pszText, const char* pszKey)
{
    return QString::fromUtf8(pszText) + QLatin1Char('\t') + QString::fromLatin1(pszKey);
}

// Radio entries, one per label, the chosen one checked; each hands its
// number to `choose`.
template <typename Choose>
void AddChoices(QMenu* pMenu, const std::vector<std::string>& labels, int iChosen, Choose choose)
{
    auto* pGroup = new QActionGroup(pMenu);
    for (size_t i = 0; i < labels.size(); ++i) {
        const int iTrack = static_cast<int>(i);
        QAction* pAction = pMenu->addAction(QString::fromStdString(labels[i]), [choose, iTrack] { choose(iTrack); });
        pAction->setCheckable(true);
        pAction->setChecked(iTrack == iChosen);
        pGroup->addAction(pAction);
    }
}

} // namespace

CTrackChooser::CTrackChooser(CDirectShow& playback, QWidget* pWindow) : m_playback(playback), m_pWindow(pWindow) {}

void CTrackChooser::AddMenus(QMenu* pMenu, QAction* pBefore)
{
    m_pSubtitleMenu = new QMenu(QStringLiteral("Subtitles"), pMenu);
    m_pAudioMenu = new QMenu(QStringLiteral("Audio"), pMenu);
    connect(m_pSubtitleMenu, &QMenu::aboutToShow, this, &CTrackChooser::_FillSubtitleMenu);
    connect(m_pAudioMenu, &QMenu::aboutToShow, this, &CTrackChooser::_FillAudioMenu);
    pMenu->insertMenu(pBefore, m_pSubtitleMenu);
    pMenu->insertMenu(pBefore, m_pAudioMenu);
    // Filled now too, so that the keys' entries are there before it opens.
    _FillSubtitleMenu();
    _FillAudioMenu();
}

void CTrackChooser::_FillSubtitleMenu()
{
    m_pSubtitleMenu->clear();
    CSubtitleOverlay* pSubtitles = m_playback.Subtitles();
    const bool bShown = pSubtitles != nullptr && pSubtitles->IsShown();
    QAction* pOff = m_pSubtitleMenu->addAction(QStringLiteral("Off"), [this] { ChooseSubtitleTrack(-1); });
    pOff->setCheckable(true);
    pOff->setChecked(!bShown);
    if (pSubtitles != nullptr) {
        m_pSubtitleMenu->addSeparator();
        AddChoices(m_pSubtitleMenu, pSubtitles->TrackLabels(), bShown ? pSubtitles->ChosenTrack() : -1,
                   [this](int iTrack) { ChooseSubtitleTrack(iTrack); });
    }
    m_pSubtitleMenu->addSeparator();
    m_pSubtitleMenu->addAction(Entry("Subtitles On/Off", "V"), [this] { ToggleSubtitles(); });
    m_pSubtitleMenu->addAction(Entry("Next Subtitle", "J"), [this] { NextSubtitleTrack(); });
    m_pSubtitleMenu->addAction(Entry("Subtitles Earlier", "["), [this] { ShiftSubtitles(-1); });
    m_pSubtitleMenu->addAction(Entry("Subtitles Later", "]"), [this] { ShiftSubtitles(1); });
    m_pSubtitleMenu->addSeparator();
    m_pSubtitleMenu->addAction(QString::fromUtf8("Open Subtitle\u2026"), [this] { _OpenSubtitleFile(); });
}

void CTrackChooser::_FillAudioMenu()
{
    m_pAudioMenu->clear();
    if (CAudioTracks* pAudio = m_playback.AudioTracks())
        AddChoices(m_pAudioMenu, pAudio->Labels(), pAudio->Chosen(), [this](int iTrack) { ChooseAudioTrack(iTrack); });
    m_pAudioMenu->addSeparator();
    m_pAudioMenu->addAction(Entry("Next Audio", "Shift+A"), [this] { NextAudioTrack(); });
}

bool CTrackChooser::OnCommand(int nID)
{
    switch (nID) {
    case ID_SUBTITLE_TOGGLE: ToggleSubtitles(); return true;
    case ID_SUBTITLE_NEXT: NextSubtitleTrack(); return true;
    case ID_AUDIO_NEXT: NextAudioTrack(); return true;
    case ID_SUBTITLE_EARLIER: ShiftSubtitles(-1); return true;
    case ID_SUBTITLE_LATER: ShiftSubtitles(1); return true;
    case ID_SUBTITLE_OPEN: _OpenSubtitleFile(); return true;
    default: return false;
    }
}

void CTrackChooser::ChooseSubtitleTrack(int iTrack)
{
    CSubtitleOverlay* pSubtitles = m_playback.Subtitles();
    if (pSubtitles == nullptr)
        return;
    if (iTrack < 0)
        pSubtitles->Show(false);
    else if (!pSubtitles->Choose(iTrack))
        return;
    Trace("CTrackChooser : subtitles %s", iTrack < 0 ? "off" : std::to_string(iTrack + 1).c_str());
    m_playback.TellTracksChosen();
}

void CTrackChooser::ChooseAudioTrack(int iTrack)
{
    CAudioTracks* pAudio = m_playback.AudioTracks();
    if (pAudio == nullptr || !pAudio->Choose(iTrack))
        return;
    Trace("CTrackChooser : sound stream %d", iTrack + 1);
    m_playback.TellTracksChosen();
}

void CTrackChooser::ToggleSubtitles()
{
    CSubtitleOverlay* pSubtitles = m_playback.Subtitles();
    if (pSubtitles == nullptr || pSubtitles->ChosenTrack() < 0)
        return;
    ChooseSubtitleTrack(pSubtitles->IsShown() ? -1 : pSubtitles->ChosenTrack());
}

// From the last track the choice goes round to the first.
void CTrackChooser::NextSubtitleTrack()
{
    CSubtitleOverlay* pSubtitles = m_playback.Subtitles();
    const int nTracks = pSubtitles != nullptr ? static_cast<int>(pSubtitles->TrackLabels().size()) : 0;
    if (nTracks > 0)
        ChooseSubtitleTrack(pSubtitles->IsShown() ? (pSubtitles->ChosenTrack() + 1) % nTracks : pSubtitles->ChosenTrack());
}

void CTrackChooser::NextAudioTrack()
{
    CAudioTracks* pAudio = m_playback.AudioTracks();
    const int nTracks = pAudio != nullptr ? static_cast<int>(pAudio->Labels().size()) : 0;
    if (nTracks > 1)
        ChooseAudioTrack((pAudio->Chosen() + 1) % nTracks);
}

void CTrackChooser::ShiftSubtitles(int nSteps)
{
    CSubtitleOverlay* pSubtitles = m_playback.Subtitles();
    if (pSubtitles == nullptr)
        return;
    const LONGLONG rtDelay = pSubtitles->Delay() + nSteps * kDelayStep;
    pSubtitles->SetDelay(rtDelay);
    const QString text = QStringLiteral("Subtitle delay %1%2 s")
                             .arg(rtDelay > 0 ? QStringLiteral("+") : QString())
                             .arg(static_cast<double>(rtDelay) / 10000000.0, 0, 'f', 1);
    Trace("CTrackChooser : %s", text.toUtf8().constData());
    emit Noted(text);
    m_playback.TellTracksChosen();
}

bool CTrackChooser::LoadSubtitleFile(const QString& path)
{
    if (m_playback.LoadSubtitleFile(QFile::encodeName(path).constData()) != S_OK)
        return false;
    emit Noted(QStringLiteral("Subtitles: %1").arg(QFileInfo(path).fileName()));
    return true;
}

bool CTrackChooser::TakeSubtitleFiles(const QStringList& files)
{
    if (m_playback.Subtitles() == nullptr)
        return false;
    for (const QString& file : files)
        if (CSubtitleFinder::IsSubtitleName(QFileInfo(file).fileName().toStdString())) {
            LoadSubtitleFile(file);
            return true;
        }
    return false;
}

void CTrackChooser::_OpenSubtitleFile()
{
    if (m_playback.Subtitles() == nullptr)
        return;
    const QString path = QFileDialog::getOpenFileName(
        m_pWindow, QStringLiteral("Open Subtitle"), QString(),
        QStringLiteral("Subtitles (*.smi *.sami *.srt *.ass *.ssa *.vtt *.sub *.SMI *.SRT);;All files (*)"));
    if (!path.isEmpty())
        LoadSubtitleFile(path);
}
