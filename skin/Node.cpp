#include "Node.h"

#include "XScan.h"
#include "common/Report.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

HRESULT CNode::SetValue(const char* s)
{
    if (s == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "s = %llx", Hex(s));
        Trace("from %s", "CNode::SetValue()");
        return hr;
    }
    m_sValue = s;
    return S_OK;
}

HRESULT CNode::AddChild(CNode* p)
{
    if (p == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "p = %llx", Hex(p));
        Trace("from %s", "CNode::AddChild()");
        return hr;
    }
    m_children.emplace_back(p);
    return S_OK;
}

HRESULT CNode::SetAttribute(const char* pszAttributeName, const char* pszValue)
{
    if (pszAttributeName == nullptr || pszValue == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "pszAttributeName = %llx, pszValue = %llx",
                                 Hex(pszAttributeName), Hex(pszValue));
        Trace("from %s", "CHtmlParser::SetAttribute()");
        return hr;
    }
    m_attributes[xscan::ToLowerAscii(pszAttributeName)] = pszValue;
    return S_OK;
}

const char* CNode::GetAttribute(const char* pszAttributeName) const
{
    if (pszAttributeName == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER, "pszAttributeName = %llx", Hex(pszAttributeName));
        Trace("from %s", "CNode::GetAttribute()");
        errno = EINVAL;
        return nullptr;
    }
    errno = 0;
    auto it = m_attributes.find(xscan::ToLowerAscii(pszAttributeName));
    return it != m_attributes.end() ? it->second.c_str() : nullptr;
}

HRESULT CNode::SearchNodes(std::vector<CNode*>* paResult, const char* pszTagName, ...)
{
    std::vector<const char*> names;
    va_list args;
    va_start(args, pszTagName);
    for (const char* psz = pszTagName != nullptr ? va_arg(args, const char*) : nullptr; psz != nullptr;
         psz = va_arg(args, const char*))
        names.push_back(psz);
    va_end(args);
    HRESULT hr = _SearchNodes(paResult, this, pszTagName, names);
    if (hr != S_OK)
        Trace("from %s", "CNode::SearchNodes()");
    return hr;
}

HRESULT CNode::_SearchNodes(std::vector<CNode*>* ppaChildNodes, CNode* pCurrent, const char* pszTagName,
                            std::span<const char* const> remaining)
{
    if (ppaChildNodes == nullptr || pCurrent == nullptr || pszTagName == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "ppaChildNodes = %llx, pCurrent = %llx, pszTagName = %llx",
                                 Hex(ppaChildNodes), Hex(pCurrent), Hex(pszTagName));
        Trace("from %s", "CNode::_SearchNodes()");
        return hr;
    }
    std::vector<std::string> alternatives;
    for (const char* p = pszTagName;; ++p) {
        const char* bar = std::strchr(p, '|');
        alternatives.emplace_back(p, bar != nullptr ? bar : p + std::strlen(p));
        if (bar == nullptr)
            break;
        p = bar;
    }
    const char* pszNext = remaining.empty() ? nullptr : remaining.front();
    for (const auto& child : pCurrent->m_children) {
        if (child->m_nKind == CNODE_TEXT)
            continue;
        for (const std::string& alternative : alternatives) {
            if (!xscan::EqualNoCase(child->m_sValue, alternative))
                continue;
            if (pszNext == nullptr) {
                ppaChildNodes->push_back(child.get());
                continue;
            }
            HRESULT hr = _SearchNodes(ppaChildNodes, child.get(), pszNext, remaining.subspan(1));
            if (hr != S_OK) {
                Trace("from %s", "CNode::_SearchNodes()");
                return hr;
            }
        }
    }
    return S_OK;
}

std::unique_ptr<CNode> CNode::DetachFirstChild()
{
    if (m_children.empty())
        return nullptr;
    std::unique_ptr<CNode> first = std::move(m_children.front());
    m_children.erase(m_children.begin());
    return first;
}
