// Runs the desktop tests on the X server of a Wayland compositor's XWayland,
// the compositor headless and of the test's own (KORVO_TEST_COMPOSITOR names
// it), on a session bus of the test's own that the compositor shares.
#include "PrivateSessionBus.h"
#include "TestCompositor.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

CTestCompositor* g_pCompositor = nullptr;

} // namespace

CTestCompositor& SuiteCompositor()
{
    return *g_pCompositor;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    CTestCompositor::Kind kind = CTestCompositor::Kind::Mutter;
    if (!CTestCompositor::FromEnvironment(&kind)) {
        std::fprintf(stderr, "KORVO_TEST_COMPOSITOR must name mutter, weston or kwin\n");
        return 1;
    }
    if (CPrivateSessionBus::Get().Address().empty()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    CTestCompositor compositor(kind, QSize(1920, 1080));
    g_pCompositor = &compositor;
    if (compositor.Display().empty()) {
        std::fprintf(stderr, "the compositor's XWayland did not come up:\n%s\n", qPrintable(compositor.Log()));
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
