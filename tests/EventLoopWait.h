// Serves the user-interface thread until a condition holds, looking at it
// every few milliseconds. The bound only ends a broken test instead of
// hanging the run; nothing is timed by it.
#pragma once

#include <functional>

bool WaitFor(const std::function<bool()>& condition, int msLimit = 60000);
