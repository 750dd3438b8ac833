// Reading the X server CTest allocated to a test from its environment.
#include "DisplayResource.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(DisplayResourceTest, AnAllocationNamesItsDisplay)
{
    EXPECT_EQ(DisplayFromAllocation("id:x5,slots:1"), ":5");
    EXPECT_EQ(DisplayFromAllocation("id:x12"), ":12");
}

TEST(DisplayResourceTest, AnythingElseNamesNoDisplay)
{
    EXPECT_EQ(DisplayFromAllocation(""), "");
    EXPECT_EQ(DisplayFromAllocation("id:x,slots:1"), "");
    EXPECT_EQ(DisplayFromAllocation("id:5,slots:1"), "");
    EXPECT_EQ(DisplayFromAllocation("id:x5y,slots:1"), "");
    EXPECT_EQ(DisplayFromAllocation("slots:1,id:x5"), "");
}

// CTest numbers the groups of a test; the display is found in whichever
// group holds the "displays" resource, and nowhere without one.
TEST(DisplayResourceTest, TheDisplaysGroupIsFoundAmongTheTestsGroups)
{
    ::unsetenv("CTEST_RESOURCE_GROUP_COUNT");
    EXPECT_EQ(DisplayFromCTestResources(), "");

    ::setenv("CTEST_RESOURCE_GROUP_COUNT", "2", 1);
    ::setenv("CTEST_RESOURCE_GROUP_0", "cards", 1);
    ::setenv("CTEST_RESOURCE_GROUP_0_CARDS", "id:x1,slots:1", 1);
    ::setenv("CTEST_RESOURCE_GROUP_1", "displays", 1);
    ::setenv("CTEST_RESOURCE_GROUP_1_DISPLAYS", "id:x7,slots:1", 1);
    EXPECT_EQ(DisplayFromCTestResources(), ":7");

    ::setenv("CTEST_RESOURCE_GROUP_COUNT", "1", 1);
    EXPECT_EQ(DisplayFromCTestResources(), "");
    ::unsetenv("CTEST_RESOURCE_GROUP_COUNT");
}

} // namespace
