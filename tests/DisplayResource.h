// The X server CTest hands a test from its resource pool. tools/test.sh
// starts the servers and lists them as resources of type "displays", with the
// display number as the id ("x5" for ":5"); tests that want a display of
// their own ask for one (RESOURCE_GROUPS displays:1), and CTest tells the test
// which one it got in CTEST_RESOURCE_GROUP_<n>_DISPLAYS ("id:x5,slots:1").
#pragma once

#include <string>

// ":N" for an allocation "id:xN,slots:S"; empty when it names no display.
std::string DisplayFromAllocation(const std::string& allocation);

// The display CTest allocated to this test; empty when it allocated none (the
// test was run without a resource pool).
std::string DisplayFromCTestResources();
