#include "GstFailure.h"

#include "FilterGraph.h"
#include "common/ErrorText.h"

namespace {

HRESULT ResourceCode(int nCode)
{
    switch (nCode) {
    case GST_RESOURCE_ERROR_NOT_FOUND:
        return ERROR_FILE_NOT_FOUND;
    case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
        return ERROR_ACCESS_DENIED;
    case GST_RESOURCE_ERROR_OPEN_READ:
    case GST_RESOURCE_ERROR_READ:
    case GST_RESOURCE_ERROR_SEEK:
        return ERROR_READ_FAULT;
    case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
        return 112;
    default:
        // Writing, opening for writing, settings, sync, busy, close: what
        // the player writes to is a device.
        return ERROR_IO_DEVICE;
    }
}

HRESULT StreamCode(int nCode)
{
    switch (nCode) {
    case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        return VFW_E_UNSUPPORTED_STREAM;
    case GST_STREAM_ERROR_TYPE_NOT_FOUND:
    case GST_STREAM_ERROR_WRONG_TYPE:
    case GST_STREAM_ERROR_DECODE:
    case GST_STREAM_ERROR_DEMUX:
    case GST_STREAM_ERROR_FORMAT:
        return VFW_E_INVALID_FILE_FORMAT;
    case GST_STREAM_ERROR_NOT_IMPLEMENTED:
        return ERROR_NOT_SUPPORTED;
    default:
        return E_FAIL;
    }
}

HRESULT CoreCode(int nCode)
{
    if (nCode == GST_CORE_ERROR_MISSING_PLUGIN)
        return VFW_E_UNSUPPORTED_STREAM;
    if (nCode == GST_CORE_ERROR_NEGOTIATION || nCode == GST_CORE_ERROR_CAPS)
        return VFW_E_CANNOT_RENDER;
    return E_FAIL;
}

} // namespace

HRESULT CGstFailure::Code(const GError* pError)
{
    if (pError->domain == GST_RESOURCE_ERROR)
        return ResourceCode(pError->code);
    if (pError->domain == GST_STREAM_ERROR)
        return StreamCode(pError->code);
    if (pError->domain == GST_CORE_ERROR)
        return CoreCode(pError->code);
    return E_FAIL;
}

PlaybackError CGstFailure::FromMessage(GstMessage* pMessage)
{
    GError* pError = nullptr;
    gchar* pszDebug = nullptr;
    gst_message_parse_error(pMessage, &pError, &pszDebug);
    PlaybackError error;
    error.hr = Code(pError);
    error.text = ErrorText(error.hr);
    error.gstMessage = std::string(GST_OBJECT_NAME(GST_MESSAGE_SRC(pMessage))) + ": " + pError->message;
    if (pszDebug != nullptr)
        error.gstDebug = pszDebug;
    g_error_free(pError);
    g_free(pszDebug);
    return error;
}
