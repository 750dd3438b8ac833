#include "common/ErrorText.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(ErrorTextTest, ErrnoValuesBecomeWin32Numbers)
{
    EXPECT_EQ(Win32ErrorFromErrno(ENOENT), 2);
    EXPECT_EQ(Win32ErrorFromErrno(EACCES), 5);
    EXPECT_EQ(Win32ErrorFromErrno(ENOMEM), 8);
    EXPECT_EQ(Win32ErrorFromErrno(EINVAL), 87);
    EXPECT_EQ(Win32ErrorFromErrno(EISDIR), 5);
}

TEST(ErrorTextTest, UnmatchedErrnoKeepsTheLibraryText)
{
    HRESULT code = Win32ErrorFromErrno(EDOM);
    EXPECT_NE(code, 0);
    EXPECT_EQ(ErrorText(code), std::strerror(EDOM));
}

TEST(ErrorTextTest, WrappedWin32NumbersShareTheirText)
{
    EXPECT_EQ(ErrorText(static_cast<HRESULT>(0x80070002u)), ErrorText(2));
    EXPECT_EQ(ErrorText(E_INVALIDARG), ErrorText(87));
    EXPECT_TRUE(ErrorText(0x7654).empty());
}

} // namespace
