#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

TEST(LibraryLoadTest, LoadsAndKeepsItsSharedCodePrivate)
{
    void* pLibrary = ::dlopen(BRELMSOURCE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pLibrary, nullptr) << ::dlerror();
    // The library's own copy of the reports and streams must not be visible,
    // or it would bind to the program's copy.
    EXPECT_EQ(::dlsym(pLibrary, "_Z18RegisterStreamKindP7CStream"), nullptr);
    EXPECT_EQ(::dlsym(pLibrary, "_Z10LastReportv"), nullptr);
    EXPECT_EQ(::dlclose(pLibrary), 0);
}

} // namespace
