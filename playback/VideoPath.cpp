#include "VideoPath.h"

#include "common/Report.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <gst/gl/gl.h>
#include <gst/gl/gstglfuncs.h>
#include <gst/gst.h>
#include <mutex>

namespace {

constexpr const char* kForceVariable = "KORVOPLAYER_VIDEO_SINK";

// Software rasterisers, as their drivers name themselves in GL_RENDERER.
constexpr const char* kSoftwareRenderers[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer"};

// Pictures as decoders hand them out; an Xv adaptor taking none of them
// would need a conversion in software all the same.
constexpr const char* kDecodedFormats = "video/x-raw, format=(string){ I420, YV12, NV12, YUY2, UYVY }";

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Hardware OpenGL needs a GPU device; without one Mesa draws in software,
// and starting it only to learn that would load its compiler for nothing.
bool HasGpuDevice()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        if (entry.path().filename().string().starts_with("renderD") || entry.path().filename().string().starts_with("card"))
            return true;
    return std::filesystem::exists("/dev/nvidia0", error);
}

void ReadRenderer(GstGLContext* pContext, gpointer pRenderer)
{
    const GLubyte* pszName = pContext->gl_vtable->GetString(GL_RENDERER);
    if (pszName != nullptr)
        *static_cast<std::string*>(pRenderer) = reinterpret_cast<const char*>(pszName);
}

} // namespace

bool CVideoPath::IsSoftwareRenderer(const std::string& renderer)
{
    const std::string lowered = Lowered(renderer);
    return std::any_of(std::begin(kSoftwareRenderers), std::end(kSoftwareRenderers),
                       [&](const char* pszName) { return lowered.find(pszName) != std::string::npos; });
}

CVideoPath::Choice CVideoPath::Choose(const char* pszForced, const Abilities& abilities)
{
    const std::string forced = Lowered(pszForced != nullptr ? pszForced : "");
    const std::string byUser = std::string("forced by ") + kForceVariable + "=" + forced;
    if (forced == "gl")
        return {VideoPath::Gl, byUser};
    if (forced == "x")
        return {VideoPath::X, byUser};
    if (forced == "xv")
        return abilities.bHasXv ? Choice{VideoPath::Xv, byUser}
                                : Choice{VideoPath::X, byUser + ", but no Xv adaptor takes the pictures"};
    std::string reason = forced.empty() ? "" : std::string(kForceVariable) + "=" + forced + " is not gl, xv or x; ";
    if (!abilities.glRenderer.empty() && !IsSoftwareRenderer(abilities.glRenderer))
        return {VideoPath::Gl, reason + "hardware OpenGL renderer \"" + abilities.glRenderer + "\""};
    reason += abilities.glRenderer.empty() ? "no hardware OpenGL"
                                           : "OpenGL is drawn in software by \"" + abilities.glRenderer + "\"";
    if (abilities.bHasXv)
        return {VideoPath::Xv, reason + "; an Xv adaptor takes the pictures"};
    return {VideoPath::X, reason + " and no Xv adaptor takes the pictures"};
}

VideoPath CVideoPath::ForThisRun()
{
    static std::once_flag once;
    static VideoPath path = VideoPath::X;
    std::call_once(once, [] {
        const char* pszForced = std::getenv(kForceVariable);
        const Choice choice = Choose(pszForced, _Probe(pszForced));
        path = choice.path;
        Trace("CVideoPath : pictures go through %s: %s", SinkFactoryName(path), choice.reason.c_str());
    });
    return path;
}

const char* CVideoPath::SinkFactoryName(VideoPath path)
{
    switch (path) {
    case VideoPath::Gl:
        return "glimagesink";
    case VideoPath::Xv:
        return "xvimagesink";
    default:
        return "ximagesink";
    }
}

bool CVideoPath::Below(VideoPath path, VideoPath* pLower)
{
    if (path == VideoPath::X)
        return false;
    *pLower = path == VideoPath::Gl ? VideoPath::Xv : VideoPath::X;
    return true;
}

// Looks only at what the forced value, if any, leaves to decide.
CVideoPath::Abilities CVideoPath::_Probe(const char* pszForced)
{
    const std::string forced = Lowered(pszForced != nullptr ? pszForced : "");
    Abilities abilities;
    if (forced == "gl" || forced == "x")
        return abilities;
    if (forced != "xv" && HasGpuDevice())
        abilities.glRenderer = _GlRenderer();
    if (forced == "xv" || abilities.glRenderer.empty() || IsSoftwareRenderer(abilities.glRenderer))
        abilities.bHasXv = _HasXvAdaptor();
    return abilities;
}

// The renderer of a GL context made on the default display; empty when no
// context starts.
std::string CVideoPath::_GlRenderer()
{
    std::string renderer;
    GstGLDisplay* pDisplay = gst_gl_display_new();
    GstGLContext* pContext = gst_gl_context_new(pDisplay);
    GError* pError = nullptr;
    if (pContext != nullptr && gst_gl_context_create(pContext, nullptr, &pError))
        gst_gl_context_thread_add(pContext, ReadRenderer, &renderer);
    else
        Trace("CVideoPath : no OpenGL context starts: %s", pError != nullptr ? pError->message : "no GL display");
    g_clear_error(&pError);
    if (pContext != nullptr)
        gst_object_unref(pContext);
    gst_object_unref(pDisplay);
    return renderer;
}

// An Xv sink opens only where the server has an adaptor; its pad then
// offers the adaptor's formats.
bool CVideoPath::_HasXvAdaptor()
{
    GstElement* pSink = gst_element_factory_make("xvimagesink", nullptr);
    if (pSink == nullptr)
        return false;
    gst_object_ref_sink(pSink);
    bool bTakes = false;
    if (gst_element_set_state(pSink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
        GstPad* pPad = gst_element_get_static_pad(pSink, "sink");
        GstCaps* pOffered = gst_pad_query_caps(pPad, nullptr);
        GstCaps* pDecoded = gst_caps_from_string(kDecodedFormats);
        bTakes = gst_caps_can_intersect(pOffered, pDecoded);
        gst_caps_unref(pDecoded);
        gst_caps_unref(pOffered);
        gst_object_unref(pPad);
    }
    gst_element_set_state(pSink, GST_STATE_NULL);
    gst_object_unref(pSink);
    return bTakes;
}
