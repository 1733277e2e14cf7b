// Compiled, never run: the Toolhelp32 entry has the size the Windows ABI
// gives it, so the dwSize that platform/win/native/processes.cpp sets from sizeof is accepted
// by Process32FirstW. A 32-bit build that packed or padded the structure
// differently would get an empty process list at run time.

#include <windows.h>

#include <tlhelp32.h>

#ifdef _WIN64
static_assert(sizeof(PROCESSENTRY32W) == 568, "64-bit PROCESSENTRY32W must be 568 bytes");
#else
static_assert(sizeof(PROCESSENTRY32W) == 556, "32-bit PROCESSENTRY32W must be 556 bytes");
#endif
