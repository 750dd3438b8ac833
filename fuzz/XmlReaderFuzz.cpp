// Feeds arbitrary text to the skin document reader and walks what it built.
#include "common/Report.h"
#include "skin/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

size_t CountNodes(const CNode* pNode)
{
    size_t n = 1;
    for (const auto& child : pNode->m_children)
        n += CountNodes(child.get());
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool bQuiet = [] {
        SetDebugOutput([](const char*) {});
        return true;
    }();
    (void)bQuiet;
    std::string text(reinterpret_cast<const char*>(data), size);
    CXMLParser parser;
    if (parser.InitFromStream(text.c_str()) == S_OK && parser.GetRoot() != nullptr) {
        CNode* pRoot = parser.GetRoot();
        std::vector<CNode*> found;
        pRoot->SearchNodes(&found, "window|fonts", "control|font", nullptr);
        for (CNode* pNode : found)
            (void)pNode->GetAttribute("name");
        (void)CountNodes(pRoot);
    }
    return 0;
}
