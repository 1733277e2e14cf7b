#pragma once

// The Win32 calls of the operating-system layer, kept free of Qt so that they
// can be built and run on their own (plain strings in, plain values out).

#include "processmatch.h"

#include <vector>

namespace Platform
{
namespace Win32
{

// A Toolhelp32 snapshot of all processes, each name converted to the local
// 8-bit code page (CP_ACP). Empty when no snapshot can be taken.
std::vector<ProcessRecord> snapshotProcesses();

unsigned long long currentProcessId();

// GetNativeSystemInfo's wProcessorArchitecture.
int nativeArchitecture();

// Whether a process other than this one runs the executable configuredName
// names (local 8-bit, see matchesRunningProcess).
bool isProcessRunning(const char* configuredName);

// FILE_ATTRIBUTE_REPARSE_POINT on the entry itself: symbolic links,
// junctions and mount points.
bool isReparsePoint(const wchar_t* path);

// Removes a reparse point without touching its target.
bool removeReparsePoint(const wchar_t* path);

} // namespace Win32
} // namespace Platform
