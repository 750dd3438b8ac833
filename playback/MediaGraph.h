// What the player needs of the media graph. The graph is a GStreamer
// pipeline; these are the values and names through which the player and the
// graph meet, each with what the graph must deliver for it.
#pragma once

#include "common/ComTypes.h"

// Reference time: 100-nanosecond units.
constexpr LONGLONG kReferenceTimePerSecond = 10000000;
constexpr LONGLONG kNanosecondsPerUnit = 100;

// Graph states as the player reads them (with a timeout).
constexpr int State_Stopped = 0;
constexpr int State_Paused = 1;
constexpr int State_Running = 2;
// A state read while the graph is still changing to it: not a failure.
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = 0x00040237;

// Graph events delivered to the screen window on the user-interface thread:
// the end of the stream, a streaming failure that stopped the graph, and a
// picture that changed its display size while playing (parameter 1 holds
// the new width in its low 16 bits and the height in the next 16).
constexpr long EC_COMPLETE = 1;
constexpr long EC_ERRORABORT = 3;
constexpr long EC_VIDEO_SIZE_CHANGED = 0x0A;

// Nothing rendered any output of the source: the graph cannot play the file.
constexpr HRESULT kNothingToRender = ERROR_NOT_CONNECTED;

// The graph answers a seek or a video-window call without a connected video
// output with this code; the player counts it as success.
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);

// A rate the renderers cannot play: with a sound, or with only a picture.
// The player leaves the rate as it was without a message.
constexpr HRESULT VFW_E_UNSUPPORTED_AUDIO = static_cast<HRESULT>(0x8004025Cu);
constexpr HRESULT VFW_E_UNSUPPORTED_VIDEO = static_cast<HRESULT>(0x8004025Du);

// Element names in the pipeline: the player's own source, and the sinks whose
// presence tells that the file has a picture and a sound.
constexpr const char* kSourceFilterName = "BRELM FILTER";
constexpr const char* kVideoRendererName = "Video Renderer";
constexpr const char* kAudioRendererName = "Audio Renderer";

// Volume attenuation in hundredths of a decibel: 0 full, -10000 silent.
constexpr long kVolumeFull = 0;
constexpr long kVolumeSilence = -10000;

// Starts GStreamer for this process; called once before any graph is built.
void InitMediaGraph();
