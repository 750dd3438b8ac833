// The sign that a window manager ignores a window's own moves, as the
// frame's and the picture's drags read it.
#include "controls/IgnoredMoveWatch.h"

#include <gtest/gtest.h>

namespace {

TEST(IgnoredMoveWatch, AManagerThatAnswersEveryMoveKeepsTheDrag)
{
    CIgnoredMoveWatch watch;
    QPoint window(100, 100);
    watch.Start(window);
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(watch.Ignored(window)) << "step " << i;
        window += QPoint(5, 0);
        watch.Requested(window);
    }
}

TEST(IgnoredMoveWatch, ThreeStepsFoundWherePressedHandTheDragOver)
{
    CIgnoredMoveWatch watch;
    const QPoint pressed(100, 100);
    watch.Start(pressed);
    EXPECT_FALSE(watch.Ignored(pressed)) << "nothing asked yet";
    watch.Requested(pressed + QPoint(5, 0));
    EXPECT_FALSE(watch.Ignored(pressed));
    EXPECT_FALSE(watch.Ignored(pressed));
    EXPECT_TRUE(watch.Ignored(pressed));
}

// A step that finds the window moved at last starts the count again, and a
// drag back to where it began asks for nothing to be ignored.
TEST(IgnoredMoveWatch, ALateAnswerOrAReturnToThePressStartsAgain)
{
    CIgnoredMoveWatch watch;
    const QPoint pressed(100, 100);
    watch.Start(pressed);
    watch.Requested(pressed + QPoint(5, 0));
    EXPECT_FALSE(watch.Ignored(pressed));
    EXPECT_FALSE(watch.Ignored(pressed));
    EXPECT_FALSE(watch.Ignored(pressed + QPoint(5, 0)));
    EXPECT_FALSE(watch.Ignored(pressed + QPoint(5, 0)));
    watch.Requested(pressed);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(watch.Ignored(pressed)) << "step " << i;
}

} // namespace
