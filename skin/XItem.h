// A node of the XML parse tree: an element, a processing instruction, a
// comment, a CDATA section or the document itself. The parser is tolerant
// and single-pass; it works in place on a NUL-terminated UTF-8 text and
// never reads past its end.
#pragma once

#include "XParseOptions.h"

#include <memory>
#include <string>
#include <vector>

class XDoc;
class XItem;

constexpr int XITEM_ELEMENT = 0;
constexpr int XITEM_PI = 1;
constexpr int XITEM_COMMENT = 2;
constexpr int XITEM_CDATA = 3;
constexpr int XITEM_DOCUMENT = 4;

struct XAttr {
    std::string name;
    std::string value;
    XItem* pParent = nullptr;
};

class XItem {
public:
    XItem(XItem* pParent, XDoc* pDoc, int nKind) : m_pParent(pParent), m_pDoc(pDoc), m_nKind(nKind) {}
    virtual ~XItem() = default;
    XItem(const XItem&) = delete;
    XItem& operator=(const XItem&) = delete;

    // Loads this element from `p`; returns the position after it, or null
    // on a syntax error (recorded in `pOptions`) or when no element follows.
    char* Load(char* p, XParseOptions* pOptions);

    std::string m_sName;
    std::string m_sValue;
    XItem* m_pParent;
    std::vector<std::unique_ptr<XItem>> m_children;
    std::vector<std::unique_ptr<XAttr>> m_attributes;
    XDoc* m_pDoc;
    int m_nKind;

    // Reads the processing instructions, DOCTYPEs, comments and CDATA
    // sections at `p` on behalf of this item; sets *pbHandled when a comment
    // or CDATA section inside an element ends the item's loading.
    char* LoadOtherItems(char* p, bool* pbHandled, XParseOptions* pOptions);

private:
    char* _LoadProcessingInstruction(char* p, XParseOptions* pOptions);
    char* _LoadMarkedText(char* p, const char* pszOpen, const char* pszClose, int nKind, const char* pszName);
    char* _LoadAttributes(char* p, char* pLimit, bool bReportErrors, XParseOptions* pOptions);
    char* _LoadAttributeValue(char* p, char* pLimit, XAttr* pAttr, XParseOptions* pOptions);
    char* _LoadText(char* p, XParseOptions* pOptions);
    bool _TooDeep() const;
    char* _LoadEndTag(char* p, bool* pbClosed, XParseOptions* pOptions);
    void _TakeValue(char* begin, char* end, std::string* target, XParseOptions* pOptions);
};
