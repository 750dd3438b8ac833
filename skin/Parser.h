// The base of the document readers: loads a document's text from a file or
// from memory and owns the node tree built from it.
#pragma once

#include "Node.h"

#include <memory>
#include <string>

class CParser {
public:
    CParser() = default;
    virtual ~CParser() = default;
    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    // Reads the whole file as the document's text.
    virtual HRESULT InitFromFile(const char* pszFileName);
    // Takes the NUL-terminated text as the document's text.
    virtual HRESULT InitFromStream(const char* pszContents);

    // The document's root element, null until a load succeeded.
    CNode* GetRoot() const { return m_pRoot.get(); }

protected:
    HRESULT _LoadFile(const char* pszFileName);

    std::unique_ptr<CNode> m_pRoot;
    std::string m_sContent;
};
