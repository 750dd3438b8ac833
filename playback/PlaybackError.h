// A failure of playback as the player shows it: the result code and the
// system's text for it, with what GStreamer said about it. A missing
// decoder is named, with the Debian package that brings it.
#pragma once

#include "common/ComTypes.h"

#include <QMetaType>
#include <string>

struct PlaybackError {
    HRESULT hr = S_OK;
    // The text the player shows for the failure (the last report's lines
    // for a failed command, the code's own text for a failure while
    // playing).
    std::string text;
    // GStreamer's message and debug text for the failure; empty when the
    // failure was not GStreamer's.
    std::string gstMessage;
    std::string gstDebug;
    // The decoder or element the file needs and that is not installed,
    // and the Debian package that brings it (empty when not known).
    std::string missingPlugin;
    std::string package;

    // What the player adds to the failure's text: the missing decoder and
    // its package on a line of its own, then GStreamer's message and its
    // debug text; empty when there is nothing to add.
    std::string Details() const;
    // "This file needs a/an DESCRIPTION (PACKAGE)"; empty without a
    // missing plugin.
    std::string MissingPluginText() const;
};

Q_DECLARE_METATYPE(PlaybackError)
