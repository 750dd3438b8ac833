// The file of a source element: set through its "location" property or a
// file:// URI, which only store it (a file that does not exist yet is
// accepted), and handed to the element's filter to load when the element
// starts. A failed load is posted as the element's error: a missing file as
// GST_RESOURCE_ERROR_NOT_FOUND, any other failure as OPEN_READ.
//
// The name and the pending-load flag are guarded by the element's object
// lock; Open and PostStartError run on the element's state-change thread.
#pragma once

#include "common/FilterInterfaces.h"

#include <gst/gst.h>

class CSourceLocation {
public:
    // Serves the element whose filter it is; found again with Of(). Its
    // messages go to the element's debug category.
    CSourceLocation(GstElement* pElement, IFileSourceFilter* pFilter, GstDebugCategory* pCategory);
    ~CSourceLocation();
    CSourceLocation(const CSourceLocation&) = delete;
    CSourceLocation& operator=(const CSourceLocation&) = delete;

    static CSourceLocation* Of(gpointer pElement);

    // Stores a new file for the next start; refused with a GLib warning
    // (leaving the old one) once the element is running.
    gboolean Set(const gchar* pszLocation, GError** ppError);

    // As the element starts: loads the file stored since the last start, if
    // any. False, with the element's error posted, when it cannot be loaded.
    bool Open();

    // Posts why a source cannot start: its failed load, or no file at all.
    void PostStartError() const;

    // The "location" property of an element class (its property handlers).
    static void InstallProperty(GObjectClass* pClass);
    // The URI handler interface of an element type: file:// URIs only.
    static void InitUriHandler(gpointer pInterface, gpointer pData);

private:
    static void _SetProperty(GObject* pObject, guint id, const GValue* pValue, GParamSpec* pSpec);
    static void _GetProperty(GObject* pObject, guint id, GValue* pValue, GParamSpec* pSpec);
    static gchar* _GetUri(GstURIHandler* pHandler);
    static gboolean _SetUri(GstURIHandler* pHandler, const gchar* pszUri, GError** ppError);

    GstElement* m_pElement;
    IFileSourceFilter* m_pFilter;
    GstDebugCategory* m_pCategory;
    gchar* m_pszLocation = nullptr;
    bool m_isLoadPending = false;
    // The report of the latest failed load and its result.
    gchar* m_pszLoadFailure = nullptr;
    HRESULT m_hrLoadFailure = S_OK;
};
