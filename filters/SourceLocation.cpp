#include "SourceLocation.h"

#include "common/Report.h"

#include <string>

namespace {

enum { PROP_0, PROP_LOCATION };

GQuark LocationQuark()
{
    static const GQuark s_quark = g_quark_from_static_string("brelm-source-location");
    return s_quark;
}

GstURIType UriType(GType)
{
    return GST_URI_SRC;
}

const gchar* const* UriProtocols(GType)
{
    static const gchar* const kProtocols[] = {"file", nullptr};
    return kProtocols;
}

} // namespace

CSourceLocation::CSourceLocation(GstElement* pElement, IFileSourceFilter* pFilter, GstDebugCategory* pCategory)
    : m_pElement(pElement), m_pFilter(pFilter), m_pCategory(pCategory)
{
    g_object_set_qdata(G_OBJECT(pElement), LocationQuark(), this);
}

CSourceLocation::~CSourceLocation()
{
    g_free(m_pszLocation);
    g_free(m_pszLoadFailure);
}

CSourceLocation* CSourceLocation::Of(gpointer pElement)
{
    return static_cast<CSourceLocation*>(g_object_get_qdata(G_OBJECT(pElement), LocationQuark()));
}

gboolean CSourceLocation::Set(const gchar* pszLocation, GError** ppError)
{
    GstState state = GST_STATE(m_pElement);
    if (state == GST_STATE_PAUSED || state == GST_STATE_PLAYING) {
        // A program that changes the file of a running source has a fault:
        // say so where its developer looks, as the stock file source does.
        g_warning("Changing the location of the running source %s is not supported.", GST_ELEMENT_NAME(m_pElement));
        g_set_error(ppError, GST_URI_ERROR, GST_URI_ERROR_BAD_STATE,
                    "Changing the location of a running source is not supported");
        return FALSE;
    }
    GST_OBJECT_LOCK(m_pElement);
    g_free(m_pszLocation);
    m_pszLocation = g_strdup(pszLocation);
    m_isLoadPending = pszLocation != nullptr;
    g_clear_pointer(&m_pszLoadFailure, g_free);
    m_hrLoadFailure = S_OK;
    GST_OBJECT_UNLOCK(m_pElement);
    GST_CAT_DEBUG_OBJECT(m_pCategory, m_pElement, "location set to %s", pszLocation != nullptr ? pszLocation : "(none)");
    return TRUE;
}

bool CSourceLocation::Open()
{
    GST_OBJECT_LOCK(m_pElement);
    gchar* pszLocation = m_isLoadPending ? g_strdup(m_pszLocation) : nullptr;
    m_isLoadPending = false;
    GST_OBJECT_UNLOCK(m_pElement);
    if (pszLocation == nullptr)
        return true;
    GST_CAT_DEBUG_OBJECT(m_pCategory, m_pElement, "opening %s", pszLocation);
    HRESULT hr = m_pFilter->Load(pszLocation, nullptr);
    g_free(pszLocation);
    if (hr == S_OK)
        return true;
    std::string report = LastReport();
    GST_OBJECT_LOCK(m_pElement);
    g_free(m_pszLoadFailure);
    m_pszLoadFailure = g_strdup(report.c_str());
    m_hrLoadFailure = hr;
    GST_OBJECT_UNLOCK(m_pElement);
    PostStartError();
    return false;
}

void CSourceLocation::PostStartError() const
{
    if (m_pszLoadFailure == nullptr) {
        GST_ELEMENT_ERROR(m_pElement, RESOURCE, NOT_FOUND, ("No file name specified for reading."), (nullptr));
    } else if (m_hrLoadFailure == ERROR_FILE_NOT_FOUND || m_hrLoadFailure == ERROR_PATH_NOT_FOUND) {
        GST_ELEMENT_ERROR(m_pElement, RESOURCE, NOT_FOUND, ("The file \"%s\" does not exist.", m_pszLocation),
                          ("%s", m_pszLoadFailure));
    } else {
        GST_ELEMENT_ERROR(m_pElement, RESOURCE, OPEN_READ, ("The file \"%s\" cannot be read.", m_pszLocation),
                          ("%s", m_pszLoadFailure));
    }
}

void CSourceLocation::InstallProperty(GObjectClass* pClass)
{
    pClass->set_property = _SetProperty;
    pClass->get_property = _GetProperty;
    g_object_class_install_property(
        pClass, PROP_LOCATION,
        g_param_spec_string("location", "File Location", "Location of the file to read", nullptr,
                            static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                     GST_PARAM_MUTABLE_READY)));
}

void CSourceLocation::_SetProperty(GObject* pObject, guint id, const GValue* pValue, GParamSpec* pSpec)
{
    if (id != PROP_LOCATION) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(pObject, id, pSpec);
        return;
    }
    Of(pObject)->Set(g_value_get_string(pValue), nullptr);
}

void CSourceLocation::_GetProperty(GObject* pObject, guint id, GValue* pValue, GParamSpec* pSpec)
{
    if (id != PROP_LOCATION) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(pObject, id, pSpec);
        return;
    }
    GST_OBJECT_LOCK(pObject);
    g_value_set_string(pValue, Of(pObject)->m_pszLocation);
    GST_OBJECT_UNLOCK(pObject);
}

gchar* CSourceLocation::_GetUri(GstURIHandler* pHandler)
{
    GST_OBJECT_LOCK(pHandler);
    const gchar* pszLocation = Of(pHandler)->m_pszLocation;
    gchar* pszUri = pszLocation != nullptr ? gst_filename_to_uri(pszLocation, nullptr) : nullptr;
    GST_OBJECT_UNLOCK(pHandler);
    return pszUri;
}

gboolean CSourceLocation::_SetUri(GstURIHandler* pHandler, const gchar* pszUri, GError** ppError)
{
    // The bare scheme is how programs ask whether any element takes file
    // URIs: it clears the location.
    if (g_str_equal(pszUri, "file://"))
        return Of(pHandler)->Set(nullptr, ppError);
    gchar* pszHost = nullptr;
    gchar* pszLocation = g_filename_from_uri(pszUri, &pszHost, nullptr);
    bool isLocal = pszHost == nullptr || g_str_equal(pszHost, "localhost");
    g_free(pszHost);
    if (pszLocation == nullptr || !isLocal) {
        g_free(pszLocation);
        g_set_error(ppError, GST_URI_ERROR, GST_URI_ERROR_BAD_URI, "Not a local file URI: %s", pszUri);
        return FALSE;
    }
    gboolean isSet = Of(pHandler)->Set(pszLocation, ppError);
    g_free(pszLocation);
    return isSet;
}

void CSourceLocation::InitUriHandler(gpointer pInterface, gpointer)
{
    auto* pIface = static_cast<GstURIHandlerInterface*>(pInterface);
    pIface->get_type = UriType;
    pIface->get_protocols = UriProtocols;
    pIface->get_uri = _GetUri;
    pIface->set_uri = _SetUri;
}
