#pragma once

// The folder walk with its plan spelled as arguments, as the tests use it.

#include "platform/walk.h"

inline Platform::FolderRemoval removeContents(const QString& folder,
                                              const QStringList& removeLast = {},
                                              const Platform::FileIdentity& expected = {},
                                              const Platform::EntryFilter* filter = nullptr,
                                              bool dryRun = false)
{
    Platform::WalkPlan plan;
    plan.folder = folder;
    plan.removeLast = removeLast;
    plan.expected = expected;
    plan.filter = filter;
    plan.dryRun = dryRun;
    return Platform::removeFolderContents(plan);
}
