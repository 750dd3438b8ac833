#include "XDoc.h"

char* XDoc::Load(char* pszText, XParseOptions* pOptions)
{
    if (pOptions == nullptr)
        pOptions = &m_defaultOptions;
    auto root = std::make_unique<XItem>(this, this, XITEM_ELEMENT);
    XItem* pRoot = root.get();
    char* p = pRoot->Load(pszText, pOptions);
    if (p == nullptr || pRoot->m_sName.empty())
        return nullptr;
    m_children.push_back(std::move(root));
    // Comments and processing instructions after the root belong to the
    // document as well; anything else after it is ignored.
    bool bHandled = false;
    char* after = pRoot->LoadOtherItems(p, &bHandled, pOptions);
    return after != nullptr ? after : p;
}

XItem* XDoc::GetRoot() const
{
    for (const auto& child : m_children) {
        if (child->m_nKind == XITEM_ELEMENT)
            return child.get();
    }
    return nullptr;
}
