// How pictures reach the screen, chosen once per run from what the display
// can do: OpenGL when a hardware renderer draws it (it scales and converts
// on the GPU); otherwise the X video extension when an adaptor takes the
// decoded pictures (it scales in the server); otherwise plain X images,
// converted and scaled by GStreamer to the picture's rectangle.
// KORVOPLAYER_VIDEO_SINK=gl|xv|x forces one path, for bug reports. A path
// whose sink cannot start on this display gives way to the next one down.
#pragma once

#include <string>

enum class VideoPath { Gl, Xv, X };

class CVideoPath {
public:
    // What was found on the display. An empty renderer means no OpenGL
    // could be started (no GLX, no context) or it was not looked at.
    struct Abilities {
        std::string glRenderer;
        bool bHasXv = false;
    };
    struct Choice {
        VideoPath path = VideoPath::X;
        std::string reason;
    };

    // `pszForced` is the environment's value (null when unset).
    static Choice Choose(const char* pszForced, const Abilities& abilities);
    // The path of this run: probed, chosen and traced on the first call.
    static VideoPath ForThisRun();
    static bool IsSoftwareRenderer(const std::string& renderer);
    // The sink factory of a path, and the path below it (X has none: false).
    static const char* SinkFactoryName(VideoPath path);
    static bool Below(VideoPath path, VideoPath* pLower);

private:
    static Abilities _Probe(const char* pszForced);
    static std::string _GlRenderer();
    static bool _HasXvAdaptor();
};
