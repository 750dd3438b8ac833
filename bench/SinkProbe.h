// Notes when the first buffer reaches the renderers of a pipeline, ours or
// the peer's alike, and counts the pictures that reach the video renderer: a GStreamer tracer hook sees every element as it is made
// and puts a buffer probe on the sink pad of each one named "Video Renderer"
// or "Audio Renderer", the names our graph gives its sinks and the names the
// peer's sinks are given too.
#pragma once

#include <atomic>
#include <chrono>
#include <gst/gst.h>

class CSinkProbe {
public:
    // Once, after gst_init and before any pipeline is made.
    static void Install();
    // Starts a measurement now: the buffers seen so far are forgotten.
    static void Arm();
    // Seconds from Arm to now.
    static double Elapsed();
    // Seconds from Arm to the first buffer at the video or audio renderer;
    // negative when none came.
    static double FirstVideo() { return _Seconds(s_video); }
    static double FirstAudio() { return _Seconds(s_audio); }
    // Buffers that reached the video renderer since Arm.
    static long VideoBuffers() { return s_video.nBuffers; }
    // The kinds of sink (factory names) that received the last first video
    // and audio buffers, "none" before any did.
    static const char* VideoSinkKind() { return s_video.pszKind; }
    static const char* AudioSinkKind() { return s_audio.pszKind; }

private:
    using Clock = std::chrono::steady_clock;

    struct Slot {
        // Nanoseconds since Arm, 0 while no buffer came.
        std::atomic<long long> nsFirst = 0;
        std::atomic<const char*> pszKind = "none";
        std::atomic<long> nBuffers = 0;
    };

    static void _OnElementNew(GObject* pTracer, GstClockTime ts, GstElement* pElement);
    static GstPadProbeReturn _OnBuffer(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pSlot);
    static double _Seconds(const Slot& slot);

    static std::atomic<Clock::rep> s_armed;
    static Slot s_video;
    static Slot s_audio;
};
