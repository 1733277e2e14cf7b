#pragma once

// A pause point for the tests that drive the real program: with the variable
// UNINSTALLER_TEST_HOLD naming a file, holdForTest() makes that file and
// returns only once it is gone, so that a test can act at a known point of
// the removal (close the window, say) and then let it go on. Without the
// variable, or when the file cannot be made, it returns at once.

namespace Engine
{

void holdForTest();

} // namespace Engine
