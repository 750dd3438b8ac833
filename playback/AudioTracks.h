// The sound streams of a file and the one heard. Every decoded sound stream
// goes into one input-selector in front of the single sound chain: the
// chosen stream passes, the others wait in step with it (sync-streams) and
// are answered as if heard (always-ok), so that their decoders and the
// source go on as with a null sink. Choosing another stream switches at its
// next buffer, without a seek: the position and the picture run on. The
// streams are listed in the file's order, whatever order their decoders
// deliver them in, and until the user chooses the file's first is heard.
//
// Threads: decoded pads arrive on streaming threads (AddInput), the
// user-interface thread reads the labels and chooses. m_lock guards
// m_streams and m_bChosenByUser and is a leaf: the selector is driven after it is
// released. Ownership: the pipeline owns the selector; this object holds a
// reference on it and on every pad it lists, released when it goes.
#pragma once

#include <gst/gst.h>
#include <mutex>
#include <string>
#include <vector>

class CAudioTracks {
public:
    CAudioTracks() = default;
    ~CAudioTracks();
    CAudioTracks(const CAudioTracks&) = delete;
    CAudioTracks& operator=(const CAudioTracks&) = delete;

    // The selector for the head of the sound chain (floating), made once.
    GstElement* MakeSelector();
    // A new input of the selector for a decoded sound stream (a new
    // reference), null without a selector.
    GstPad* AddInput(GstPad* pDecodedPad);

    std::vector<std::string> Labels() const;
    // The stream heard, -1 when there is none.
    int Chosen() const;
    // False for a stream that does not exist.
    bool Choose(int iTrack);

private:
    struct Stream {
        GstPad* pInput;
        GstPad* pDecoded;
        std::string streamId;
    };
    void _Activate(GstPad* pInput);

    mutable std::mutex m_lock;
    GstElement* m_pSelector = nullptr;
    std::vector<Stream> m_streams;
    bool m_bChosenByUser = false;
};
