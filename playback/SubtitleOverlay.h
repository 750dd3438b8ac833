// Subtitles drawn on the picture. The video chain ends in a text overlay
// (GStreamer's textoverlay) right before the sink. A probe on the
// overlay's picture input looks up, for each picture, what the chosen track
// shows at the picture's stream time less the delay, and sets the
// overlay's text when that changes: a cue shows from the first picture at
// or after its start to the last one before its end, after seeks, rate
// changes and pauses alike, since it follows the pictures' own times. An
// empty text costs the overlay nothing: the pictures pass untouched.
//
// The text is drawn on the pictures the overlay gets: at the file's own
// size on the X video and OpenGL paths (the sink scales both together), at
// the window's size on the X image path. Its size and its margin above the
// picture's bottom edge are shares of the pictures' height, so the text
// keeps its place and its share of the picture at any window size and in
// full screen. The font is a Korean one that also has Latin letters, with
// the general sans-serif after it for other scripts; an outline keeps it
// readable on any picture.
//
// Tracks: those of subtitle files first (loaded by the controller), then the
// subtitle streams of the media file in the file's order (their decoders
// may deliver them in any order), each gathered by a sink of its own as
// its decoder delivers the cues (CStreamCues), or, for SubStation and
// bitmap streams, drawn by GStreamer itself with their own styles and
// places (CDrawnSubtitles, ahead of the converter). Without a file track,
// the file's first subtitle stream is shown.
//
// Threads: m_lock guards m_tracks, m_pChosen, m_bChosenByUser, m_bShown and
// m_rtDelay: the
// picture's streaming thread reads them, the subtitle streams' threads add
// cues, the user-interface thread adds file tracks and chooses. It is a
// leaf: the overlay's text and font are set, and the drawn overlay is
// driven, after it is released.
// m_segment, m_sDrawn and m_nHeight belong to the picture's streaming thread.
// Ownership: the graph's pipeline owns the elements made here; the graph
// stops its pipeline before this object goes, so no probe runs after it.
// A stream track holds a reference on its decoded pad, for its label.
//
// A stream's cue may come after the picture of its time was drawn (the
// picture and the text come on threads of their own): a new cue that
// covers the last picture drawn calls the late-cue handler, on the
// stream's thread, so that a paused picture is drawn again with it.
#pragma once

#include "DrawnSubtitles.h"
#include "StreamCues.h"
#include "common/ComTypes.h"
#include "subtitles/SubtitleTrack.h"

#include <atomic>
#include <functional>
#include <gst/gst.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CSubtitleOverlay {
public:
    // The font's size and the margin below the text, in parts of the
    // picture's height.
    static constexpr double kFontShare = 0.055;
    static constexpr double kMarginShare = 0.05;
    // The font families tried in order; the size is added to them.
    static constexpr const char* kFontFamilies = "NanumGothic,Noto Sans CJK KR,Sans Bold";

    CSubtitleOverlay() = default;
    ~CSubtitleOverlay();
    CSubtitleOverlay(const CSubtitleOverlay&) = delete;
    CSubtitleOverlay& operator=(const CSubtitleOverlay&) = delete;

    // The overlay element for the video chain (floating), its input watched.
    GstElement* MakeElement();
    // A sink for a decoded subtitle stream (text/x-raw): its cues become a
    // track.
    GstElement* MakeStreamSink(GstPad* pDecodedPad);
    // The overlay of the streams GStreamer draws itself, for the head of
    // the video chain (floating), or null; Link once it is in the pipeline.
    GstElement* MakeDrawnElement() { return m_drawn.MakeElement(); }
    void LinkDrawn() { m_drawn.Link(); }
    // The input a stream GStreamer draws itself (CDrawnSubtitles::Draws)
    // is linked to (a new reference), added to `pBin`; the stream becomes a
    // track. Null when none can be made.
    GstPad* AddDrawnStream(GstBin* pBin, GstPad* pDecodedPad);
    // Adds the tracks holding cues; the first of them is chosen and shown.
    // Returns how many were added.
    int AddFileTracks(std::vector<CSubtitleTrack> tracks);

    std::vector<std::string> TrackLabels() const;
    // The chosen track, -1 while there is none.
    int ChosenTrack() const;
    bool IsShown() const;
    // Chooses a track and shows it; false for a track that does not exist.
    bool Choose(int iTrack);
    void Show(bool bShown);
    // Positive: the text comes later than the file says.
    LONGLONG Delay() const;
    void SetDelay(LONGLONG rtDelay);

    // Set before the graph streams.
    void SetLateCueHandler(std::function<void()> handler) { m_onLateCue = std::move(handler); }

    // The font description for pictures of `nHeight` rows.
    static std::string FontFor(int nHeight);

private:
    struct Track {
        std::shared_ptr<const CSubtitleTrack> pFile;
        // Stream tracks: what orders them as in the file.
        std::string streamId;
        CStreamCues stream;
        GstPad* pPad = nullptr;
        // Streams drawn by GStreamer: their input of the drawn overlay.
        GstPad* pDrawnInput = nullptr;
        bool bMarkup = false;
        GstSegment segment{};
    };

    static GstPadProbeReturn _OnPicture(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pOverlay);
    static GstPadProbeReturn _OnStreamData(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pOverlay);
    void _OnPictureCaps(GstElement* pOverlay, GstCaps* pCaps);
    void _OnPictureBuffer(GstElement* pOverlay, GstBuffer* pBuffer);
    void _OnStreamEvent(Track* pTrack, GstEvent* pEvent);
    void _OnStreamBuffer(Track* pTrack, GstBuffer* pBuffer);
    Track* _InsertStreamTrack(GstPad* pDecodedPad, GstPad* pDrawnInput = nullptr);
    // Has the drawn overlay show the chosen track when it is one of its
    // streams, or nothing; called with m_lock released.
    void _ShowDrawn();
    std::string _MarkupAt(LONGLONG rtStream) const;
    std::string _Label(const Track& track, int nNumber) const;

    mutable std::mutex m_lock;
    std::vector<std::unique_ptr<Track>> m_tracks;
    Track* m_pChosen = nullptr;
    // A file track, or one the user chose: streams found later leave it.
    bool m_bChosenByUser = false;
    bool m_bShown = true;
    LONGLONG m_rtDelay = 0;

    CDrawnSubtitles m_drawn;
    std::function<void()> m_onLateCue;
    // The stream time of the last picture drawn, in 100-ns units.
    std::atomic<LONGLONG> m_rtLastPicture = -1;
    GstSegment m_segment{};
    std::string m_sDrawn;
    int m_nHeight = 0;
};
