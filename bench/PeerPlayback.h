// The peer: GStreamer's playbin, given the same kinds of sink our graph
// chooses (made by the same sink factory, under the same names) and the same
// native window for the picture.
#pragma once

#include "Playback.h"

#include <gst/gst.h>

class QWidget;

class CPeerPlayback : public CPlayback {
public:
    explicit CPeerPlayback(QWidget* pScreenWnd);
    ~CPeerPlayback() override;
    CPeerPlayback(const CPeerPlayback&) = delete;
    CPeerPlayback& operator=(const CPeerPlayback&) = delete;

    // Makes playbin and the sinks the file needs, as our graph makes its own
    // inside Play, then sets playbin to PLAYING. Without a picture it gets no
    // video sink: playbin makes none for a file without video either.
    bool Start(const std::string& path, bool hasVideo) override;
    void Stop() override;

protected:
    Outcome _WaitForEvent(int msTimeout) override;

private:
    QWidget* m_pScreenWnd;
    GstElement* m_pPlaybin = nullptr;
};
