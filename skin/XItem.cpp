#include "XItem.h"

#include "XDoc.h"
#include "XScan.h"

#include <cstring>

using namespace xscan;

namespace {

// Deeper nesting than this is refused, so that a hostile document cannot
// exhaust the stack of the recursive loader.
constexpr int kMaxDepth = 256;

bool IsBlank(const std::string& s)
{
    for (char ch : s) {
        if (!IsSpace(ch))
            return false;
    }
    return true;
}

char* EndOfText(char* p)
{
    return p + std::strlen(p);
}

bool AtLimit(const char* p, const char* pLimit)
{
    return *p == '\0' || (pLimit != nullptr && p >= pLimit);
}

} // namespace

char* XItem::Load(char* p, XParseOptions* pOptions)
{
    m_children.clear();
    m_attributes.clear();
    for (;;) {
        char* lt = std::strchr(p, '<');
        if (lt == nullptr) {
            // Nothing more to read: an element that is still open ends with
            // the text; the document's own first item finds no element.
            return m_pParent->m_nKind == XITEM_ELEMENT ? EndOfText(p) : nullptr;
        }
        if (lt[1] == '/')
            return lt;
        bool bHandled = false;
        p = LoadOtherItems(lt, &bHandled, pOptions);
        if (bHandled)
            return p;
        if (*p == '<' && p[1] != '/')
            break;
    }
    if (_TooDeep()) {
        pOptions->SetError(p, XML_ERROR_TOO_DEEP, "Elements are nested too deeply.");
        return nullptr;
    }
    char* pNameEnd = FindAny(p + 1, " />\t\r\n");
    if (pNameEnd == nullptr)
        pNameEnd = EndOfText(p);
    TakeString(p + 1, pNameEnd, &m_sName, false, '\0', nullptr);

    p = _LoadAttributes(pNameEnd, nullptr, true, pOptions);
    if (p == nullptr)
        return nullptr;
    if (*p == '\0')
        return p;
    if (*p == '/') {
        if (p[1] == '>')
            return p + 2;
        pOptions->SetError(p, XML_ERROR_NOT_CLOSED_ALONE, "Element must be closed.");
        return nullptr;
    }
    p = _LoadText(p + 1, pOptions);
    while (*p != '\0') {
        auto child = std::make_unique<XItem>(this, m_pDoc, m_nKind);
        char* pNext = child->Load(p, pOptions);
        if (!child->m_sName.empty())
            m_children.push_back(std::move(child));
        if (pNext == nullptr)
            return nullptr;
        p = pNext;
        if (p[0] == '<' && p[1] == '/') {
            bool bClosed = false;
            p = _LoadEndTag(p, &bClosed, pOptions);
            if (p == nullptr || bClosed)
                return p;
        } else if (IsBlank(m_sValue) && *p != '<') {
            p = _LoadText(p, pOptions);
        }
    }
    return p;
}

bool XItem::_TooDeep() const
{
    int nDepth = 0;
    for (const XItem* q = m_pParent; q != nullptr && q->m_nKind == XITEM_ELEMENT; q = q->m_pParent) {
        if (++nDepth > kMaxDepth)
            return true;
    }
    return false;
}

char* XItem::LoadOtherItems(char* p, bool* pbHandled, XParseOptions* pOptions)
{
    *pbHandled = false;
    const bool bInElement = m_pParent->m_nKind != XITEM_DOCUMENT;
    bool bConsumed = true;
    while (bConsumed && *p != '\0') {
        bConsumed = false;
        p = SkipSpace(p);
        if (StartsWithNoCase(p, "<?")) {
            p = _LoadProcessingInstruction(p, pOptions);
            bConsumed = true;
        }
        p = SkipSpace(p);
        if (StartsWithNoCase(p, "<!DOCTYPE")) {
            char* gt = std::strchr(p, '>');
            p = gt != nullptr ? gt + 1 : EndOfText(p);
            bConsumed = true;
        }
        p = SkipSpace(p);
        if (std::strncmp(p, "<!--", 4) == 0) {
            p = _LoadMarkedText(p, "<!--", "-->", XITEM_COMMENT, "#COMMENT");
            bConsumed = true;
            if (bInElement) {
                *pbHandled = true;
                break;
            }
        }
        p = SkipSpace(p);
        if (StartsWithNoCase(p, "<![CDATA[")) {
            p = _LoadMarkedText(p, "<![CDATA[", "]]>", XITEM_CDATA, "#CDATA");
            bConsumed = true;
            if (bInElement) {
                *pbHandled = true;
                break;
            }
        }
    }
    return p;
}

char* XItem::_LoadProcessingInstruction(char* p, XParseOptions* pOptions)
{
    char* pEnd = FindNoCase(p + 2, "?>");
    char* pStop = pEnd != nullptr ? pEnd : EndOfText(p);
    auto pi = std::make_unique<XItem>(m_pDoc, m_pDoc, XITEM_PI);
    char* pNameEnd = FindAny(p + 2, " ?>");
    if (pNameEnd == nullptr || pNameEnd > pStop)
        pNameEnd = pStop;
    TakeString(p + 2, pNameEnd, &pi->m_sName, false, '\0', nullptr);
    pi->_LoadAttributes(pNameEnd, pStop, false, pOptions);
    m_pDoc->m_children.push_back(std::move(pi));
    return pEnd != nullptr ? pEnd + 2 : pStop;
}

char* XItem::_LoadMarkedText(char* p, const char* pszOpen, const char* pszClose, int nKind, const char* pszName)
{
    char* pStart = p + std::strlen(pszOpen);
    char* pEnd = std::strstr(pStart, pszClose);
    char* pStop = pEnd != nullptr ? pEnd : EndOfText(pStart);
    auto item = std::make_unique<XItem>(m_pParent, m_pDoc, nKind);
    item->m_sName = pszName;
    TakeString(pStart, pStop, &item->m_sValue, false, '\0', nullptr);
    m_pParent->m_children.push_back(std::move(item));
    return pEnd != nullptr ? pEnd + std::strlen(pszClose) : pStop;
}

char* XItem::_LoadAttributes(char* p, char* pLimit, bool bReportErrors, XParseOptions* pOptions)
{
    for (;;) {
        p = SkipSpace(p);
        if (AtLimit(p, pLimit) || *p == '>' || *p == '/')
            return p;
        char* pNameEnd = FindAny(p, " =");
        if (pNameEnd == nullptr || (pLimit != nullptr && pNameEnd >= pLimit)) {
            if (!bReportErrors)
                return pLimit;
            pOptions->SetError(p, XML_ERROR_ATTR_NO_VALUE, "<" + m_sName + "> attribute has error ");
            return nullptr;
        }
        auto attr = std::make_unique<XAttr>();
        attr->pParent = this;
        TakeString(p, pNameEnd, &attr->name, false, '\0', nullptr);
        p = SkipSpace(pNameEnd);
        if (*p == '=' && !AtLimit(p, pLimit))
            p = _LoadAttributeValue(SkipSpace(p + 1), pLimit, attr.get(), pOptions);
        m_attributes.push_back(std::move(attr));
    }
}

char* XItem::_LoadAttributeValue(char* p, char* pLimit, XAttr* pAttr, XParseOptions* pOptions)
{
    const char chQuote = *p;
    const bool bQuoted = chQuote == '"' || chQuote == '\'';
    char* pStart = bQuoted ? p + 1 : p;
    char* pEnd = bQuoted ? FindUnescaped(pStart, chQuote, pOptions->chEscape) : FindAny(p, " >");
    if (pEnd == nullptr)
        pEnd = EndOfText(p);
    if (pLimit != nullptr && pEnd > pLimit)
        pEnd = pLimit;
    _TakeValue(pStart, pEnd, &pAttr->value, pOptions);
    return (bQuoted && *pEnd == chQuote) ? pEnd + 1 : pEnd;
}

char* XItem::_LoadText(char* p, XParseOptions* pOptions)
{
    char* pEnd = FindUnescaped(p, '<', pOptions->chEscape);
    _TakeValue(p, pEnd, &m_sValue, pOptions);
    return pEnd;
}

char* XItem::_LoadEndTag(char* p, bool* pbClosed, XParseOptions* pOptions)
{
    char* pName = SkipSpace(p + 2);
    char* pNameEnd = FindAny(pName, " >");
    if (pNameEnd == nullptr) {
        pOptions->SetError(pName, XML_ERROR_NOT_CLOSED, "it must be closed with </" + m_sName + ">");
        return nullptr;
    }
    if (std::string(pName, pNameEnd) == m_sName) {
        *pbClosed = true;
        return pNameEnd + 1;
    }
    if (pOptions->bForceParse)
        return pNameEnd + 1;
    pOptions->SetError(pName, XML_ERROR_NOT_NESTED,
                       "'<" + m_sName + "> ... </" + std::string(pName, pNameEnd) + ">' is not wel-formed.");
    return nullptr;
}

void XItem::_TakeValue(char* begin, char* end, std::string* target, XParseOptions* pOptions)
{
    const bool bReferences = pOptions->bEntityValue && pOptions->pEntities != nullptr;
    TakeString(begin, end, target, pOptions->bTrimValue, pOptions->chEscape,
               bReferences ? pOptions->pEntities : nullptr);
}
