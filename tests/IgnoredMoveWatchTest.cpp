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
        EXPECT_FALSE(watch.Ignored(window, 100u * i)) << "step " << i;
        window += QPoint(5, 0);
        watch.Requested(window);
    }
}

TEST(IgnoredMoveWatch, ThreeStepsFoundWherePressedHandTheDragOver)
{
    CIgnoredMoveWatch watch;
    const QPoint pressed(100, 100);
    watch.Start(pressed);
    EXPECT_FALSE(watch.Ignored(pressed, 0)) << "nothing asked yet";
    watch.Requested(pressed + QPoint(5, 0));
    EXPECT_FALSE(watch.Ignored(pressed, 100));
    EXPECT_FALSE(watch.Ignored(pressed, 200));
    EXPECT_TRUE(watch.Ignored(pressed, 300));
}

// A busy drag may outrun a manager that does make the moves: steps within
// 120 ms of the first one ignored are not yet its answer, however many.
TEST(IgnoredMoveWatch, StepsQuickerThanTheManagerWaitForIt)
{
    CIgnoredMoveWatch watch;
    const QPoint pressed(100, 100);
    watch.Start(pressed);
    watch.Requested(pressed + QPoint(5, 0));
    for (unsigned ms = 1000; ms < 1120; ms += 10)
        EXPECT_FALSE(watch.Ignored(pressed, ms)) << ms;
    EXPECT_TRUE(watch.Ignored(pressed, 1120));
}

// A step that finds the window moved at last starts the count again, and a
// drag back to where it began asks for nothing to be ignored.
TEST(IgnoredMoveWatch, ALateAnswerOrAReturnToThePressStartsAgain)
{
    CIgnoredMoveWatch watch;
    const QPoint pressed(100, 100);
    watch.Start(pressed);
    watch.Requested(pressed + QPoint(5, 0));
    EXPECT_FALSE(watch.Ignored(pressed, 0));
    EXPECT_FALSE(watch.Ignored(pressed, 100));
    EXPECT_FALSE(watch.Ignored(pressed + QPoint(5, 0), 200));
    EXPECT_FALSE(watch.Ignored(pressed + QPoint(5, 0), 300));
    // Found where pressed again: the count and the time start afresh.
    EXPECT_FALSE(watch.Ignored(pressed, 400));
    EXPECT_FALSE(watch.Ignored(pressed, 450));
    EXPECT_FALSE(watch.Ignored(pressed, 500));
    watch.Requested(pressed);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(watch.Ignored(pressed, 1000u + 100u * i)) << "step " << i;
}

} // namespace
