#pragma once

// Points where the tests that drive the real code step in. The engine and
// Linux's folder walk call these functions; their definitions are not part of
// uninstaller_core but chosen when an executable is linked:
//   - platform/testhooks_none.cpp (uninstaller_nohooks): the program as
//     shipped and the benchmarks; each does nothing, reads nothing;
//   - tests/hooks/testhooks.cpp (uninstaller_testhooks): the test programs,
//     their helpers and uninstaller-testhooks, the program for the scripts
//     that need the hooks; they take their orders from the environment.
// An executable linking uninstaller_core links exactly one of the two.

#include "platform.h"

#include <QVector>

namespace TestHooks
{

// Called once at the start of the removal, before the install folder goes:
// lets a test act at that known point (close the window, kill the process)
// with all of the removal still to do. Returns when the removal may go on.
void pauseBeforeRemoval();

// The files Linux's folder walk (posix/contentswalk.cpp) leaves as in use, as
// Windows would refuse to delete them while a program runs from them, so that
// what follows (moving out, restart scheduling) runs on Linux too. Asked once
// per process.
QVector<Platform::FileIdentity> filesTakenAsInUse();

} // namespace TestHooks
