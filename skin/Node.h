// A node of the skin document as the skin engine sees it: an element with a
// name, attributes keyed by lower-case name and ordered children, or a text.
#pragma once

#include "common/ComTypes.h"

#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

constexpr int CNODE_ELEMENT = 1;
constexpr int CNODE_TEXT = 3;

class CNode {
public:
    CNode() = default;
    virtual ~CNode() = default;
    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

    HRESULT SetValue(const char* s);
    // Appends `p` and takes ownership of it.
    HRESULT AddChild(CNode* p);
    // Stores the value under the lower-cased name, replacing an earlier one.
    HRESULT SetAttribute(const char* pszAttributeName, const char* pszValue);
    // The value of the attribute, or null when it is absent. Sets the
    // thread's last error to 0, or to 87 for a null name.
    const char* GetAttribute(const char* pszAttributeName) const;
    // Appends to `paResult` every node along the path of element names that
    // follows, ending with a null pointer; "a|b" matches either name.
    HRESULT SearchNodes(std::vector<CNode*>* paResult, const char* pszTagName, ...);

    // Hands the first child to the caller, who then owns it.
    std::unique_ptr<CNode> DetachFirstChild();

    int m_nKind = CNODE_ELEMENT;
    std::string m_sValue;
    std::vector<std::unique_ptr<CNode>> m_children;

private:
    HRESULT _SearchNodes(std::vector<CNode*>* ppaChildNodes, CNode* pCurrent, const char* pszTagName,
                         std::span<const char* const> remaining);

    std::unordered_map<std::string, std::string> m_attributes;
};
