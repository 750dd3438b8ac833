// Runs a test with the player's built-in skin taken out of the program's
// resources, so that every skin the player builds fails.
#pragma once

#include <functional>

void WithoutTheBuiltInSkin(const std::function<void()>& test);
