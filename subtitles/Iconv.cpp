#include "Iconv.h"

#include <cerrno>
#include <iconv.h>

namespace {

class CIconvHandle {
public:
    explicit CIconvHandle(const char* pszFrom) : m_cd(iconv_open("UTF-8", pszFrom)) {}
    ~CIconvHandle()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    CIconvHandle(const CIconvHandle&) = delete;
    CIconvHandle& operator=(const CIconvHandle&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

bool CIconv::ToUtf8(const char* pszFrom, std::string_view sInput, std::string* pText)
{
    pText->clear();
    CIconvHandle cd(pszFrom);
    if (!cd.IsOpen())
        return false;
    // A legacy character takes at most four bytes of UTF-8 per input byte.
    pText->resize(sInput.size() * 4 + 16);
    char* pIn = const_cast<char*>(sInput.data());
    size_t cbIn = sInput.size();
    char* pOut = pText->data();
    size_t cbOut = pText->size();
    if (iconv(cd.Get(), &pIn, &cbIn, &pOut, &cbOut) == static_cast<size_t>(-1) ||
        iconv(cd.Get(), nullptr, nullptr, &pOut, &cbOut) == static_cast<size_t>(-1)) {
        pText->clear();
        return false;
    }
    pText->resize(pText->size() - cbOut);
    return true;
}
