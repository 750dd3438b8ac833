// Our player: the graph controller the player window drives, playing into
// the given screen window.
#pragma once

#include "Playback.h"
#include "playback/DirectShow.h"

class QWidget;

class COurPlayback : public CPlayback {
public:
    // The BrelmSource library is looked for in `libraryDir`.
    COurPlayback(QWidget* pScreenWnd, const std::string& libraryDir);

    // Our graph finds out by itself whether the file has a picture.
    bool Start(const std::string& path, bool hasVideo) override;
    void Stop() override;

protected:
    Outcome _WaitForEvent(int msTimeout) override;

private:
    CDirectShow m_graph;
};
