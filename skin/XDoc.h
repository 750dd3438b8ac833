// The XML document: the top of the parse tree and its default options.
#pragma once

#include "XItem.h"

class XDoc : public XItem {
public:
    XDoc() : XItem(nullptr, this, XITEM_DOCUMENT) {}

    // Parses the NUL-terminated text `pszText` in place (TABs become
    // spaces). Returns the position after what was read, or null.
    char* Load(char* pszText, XParseOptions* pOptions = nullptr);

    // The first element of the document, or null.
    XItem* GetRoot() const;

    XParseOptions m_defaultOptions;
};
