// What the desktop's sound server and its mixer show of the player's sound:
// the stream's properties (its role, the player's name, id and icon, and
// the file's name as the stream's name), handed to a sink that takes them
// (pulsesink's "stream-properties"; PipeWire's Pulse server reads the same).
// The name the server shows comes from the stream's title instead.
// The role is "video" for a file with a picture and "music" for one
// without, so that the desktop can treat the two as it treats other players'.
#pragma once

#include <gst/gst.h>
#include <string>

class CSoundStream {
public:
    // A new structure; `fileName` may carry folders, only its name is shown.
    static GstStructure* Properties(const std::string& fileName, bool bHasPicture);
    // Sets them on `pSink` before it opens its stream; false when the sink
    // has no such property (a null sink, ALSA).
    static bool Apply(GstElement* pSink, const std::string& fileName, bool bHasPicture);
    // The stream's name is its title: a sink renames its open stream after
    // the title of a tag event. This one names it after the file, for files
    // that carry no title of their own.
    static GstEvent* TitleEvent(const std::string& fileName);
    // Whether the tag event names the stream.
    static bool HasTitle(GstEvent* pTagEvent);
};
