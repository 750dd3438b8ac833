// The file of a source element: set through its "location" property or a
// file:// URI, and handed to the element's filter to load. A failed load is
// kept and posted as the element's error when it starts.
#pragma once

#include "common/FilterInterfaces.h"

#include <gst/gst.h>

class CSourceLocation {
public:
    // Serves the element whose filter it is; found again with Of().
    CSourceLocation(GstElement* pElement, IFileSourceFilter* pFilter);
    ~CSourceLocation();
    CSourceLocation(const CSourceLocation&) = delete;
    CSourceLocation& operator=(const CSourceLocation&) = delete;

    static CSourceLocation* Of(gpointer pElement);

    // Hands the filter a new file; refused once the element is running.
    gboolean Set(const gchar* pszLocation, GError** ppError);

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
    gchar* m_pszLocation = nullptr;
    gchar* m_pszLoadFailure = nullptr;
};
