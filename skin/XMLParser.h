// The skin engine's XML reader: parses a document with the tolerant parser
// and keeps its elements as a tree of CNode objects.
#pragma once

#include "Parser.h"

class XItem;

class CXMLParser : public CParser {
public:
    HRESULT InitFromFile(const char* pszFileName) override;
    HRESULT InitFromStream(const char* pszContents) override;

private:
    HRESULT _Parsing();
    HRESULT _AddAllChildNodes(CNode* pParent, XItem* pSelf);
};
