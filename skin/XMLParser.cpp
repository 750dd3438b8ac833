#include "XMLParser.h"

#include "XDoc.h"
#include "common/Report.h"

HRESULT CXMLParser::InitFromFile(const char* pszFileName)
{
    HRESULT hr = CParser::InitFromFile(pszFileName);
    if (hr == S_OK)
        hr = _Parsing();
    if (hr != S_OK)
        Trace("from %s", "CXMLParser::InitFromFile()");
    return hr;
}

HRESULT CXMLParser::InitFromStream(const char* pszContents)
{
    HRESULT hr = CParser::InitFromStream(pszContents);
    if (hr == S_OK)
        hr = _Parsing();
    if (hr != S_OK)
        Trace("from %s", "CXMLParser::InitFromStream()");
    return hr;
}

HRESULT CXMLParser::_Parsing()
{
    XDoc doc;
    XParseOptions options;
    options.bTrimValue = true;
    // The parser works in place on its own copy of the text.
    std::string text = m_sContent;
    doc.Load(text.data(), &options);

    HRESULT hr = S_OK;
    if (options.bErrorOccurred) {
        hr = ReportError(ERROR_BAD_FORMAT, "XML 파싱 도중 에러가 발생했습니다");
        Trace("%s. 에러코드 = %d", options.sErrorText.c_str(), options.nErrorCode);
        Trace("from %s", "XDoc::Load");
    } else if (XItem* pRoot = doc.GetRoot(); pRoot == nullptr) {
        hr = ReportError(13, "루트 노드가 NULL 입니다");
        Trace("from %s", "XDoc::GetRoot()");
    } else {
        CNode holder;
        hr = _AddAllChildNodes(&holder, pRoot);
        if (hr == S_OK)
            m_pRoot = holder.DetachFirstChild();
    }
    if (hr != S_OK) {
        Trace("m_sContent = %s", m_sContent.c_str());
        Trace("from %s", "CXMLParser::_Parsing()");
    }
    return hr;
}

HRESULT CXMLParser::_AddAllChildNodes(CNode* pParent, XItem* pSelf)
{
    if (pParent == nullptr || pSelf == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "pParent = %llx, pSelf = %llx", Hex(pParent), Hex(pSelf));
        Trace("from %s", "CXMLParser::_AddAllChildNodes()");
        return hr;
    }
    if (pSelf->m_nKind != XITEM_ELEMENT)
        return S_OK;
    auto node = std::make_unique<CNode>();
    node->m_nKind = CNODE_ELEMENT;
    node->m_sValue = pSelf->m_sName;
    if (!pSelf->m_sValue.empty()) {
        auto text = std::make_unique<CNode>();
        text->m_nKind = CNODE_TEXT;
        text->m_sValue = pSelf->m_sValue;
        node->m_children.push_back(std::move(text));
    }
    for (const auto& attr : pSelf->m_attributes)
        node->SetAttribute(attr->name.c_str(), attr->value.c_str());
    CNode* pNode = node.get();
    pParent->m_children.push_back(std::move(node));
    for (const auto& child : pSelf->m_children) {
        HRESULT hr = _AddAllChildNodes(pNode, child.get());
        if (hr != S_OK) {
            Trace("from %s", "CXMLParser::_AddAllChildNodes()");
            return hr;
        }
    }
    return S_OK;
}
