// The folder walk of native/folderwalk.cpp, in Qt's terms.

#include "platform/walk.h"
#include "convert.h"

#include <QPair>
#include <QSet>

namespace Platform
{

using namespace WinConvert;

namespace
{

EntryStatus statusOf(Win32::LeftStatus status)
{
    switch (status) {
    case Win32::LeftStatus::InUse:
        return EntryStatus::InUse;
    case Win32::LeftStatus::OtherVolume:
        return EntryStatus::OtherFileSystem;
    case Win32::LeftStatus::OtherProduct:
        return EntryStatus::OtherProduct;
    case Win32::LeftStatus::Kept:
        return EntryStatus::Kept;
    case Win32::LeftStatus::Refused:
        break;
    }
    return EntryStatus::Refused;
}

Win32::EntryDecider deciderOf(const EntryFilter* filter)
{
    if (!filter)
        return nullptr;
    return [filter](const std::wstring& relative, bool isFolder) {
        switch (filter->decide(qtPath(relative), isFolder)) {
        case EntryFilter::Decision::Keep:
            return Win32::EntryDecision::Keep;
        case EntryFilter::Decision::Enter:
            return Win32::EntryDecision::Enter;
        case EntryFilter::Decision::Remove:
            break;
        }
        return Win32::EntryDecision::Remove;
    };
}

} // namespace

FolderRemoval removeFolderContents(const WalkPlan& plan)
{
    std::vector<std::wstring> last;
    for (const QString& name : plan.removeLast)
        last.push_back(QDir::toNativeSeparators(name).toStdWString());
    Win32::WalkReport report;
    if (WalkProgress* progress = plan.progress) {
        report.counted = [progress](unsigned long long total) { progress->setTotal(total); };
        report.gone = [progress](unsigned long long entries, unsigned long long bytes) {
            progress->add(entries, bytes);
        };
    }
    const Win32::ContentsRemoval removal = Win32::removeFolderContents(
        nativePath(plan.folder).c_str(), last, win32Identity(plan.expected), deciderOf(plan.filter),
        win32Identities(plan.sealed), plan.dryRun, plan.progress ? &report : nullptr);
    FolderRemoval result;
    result.complete = removal.complete;
    result.firstError = static_cast<int>(removal.firstError);
    // The second pass over what went last may meet an entry again.
    QSet<QPair<QString, int>> seen;
    for (const Win32::LeftEntry& entry : removal.left) {
        const LeftEntry left{qtPath(entry.path), statusOf(entry.status),
                             static_cast<int>(entry.error)};
        if (!seen.contains({left.path, int(left.status)})) {
            seen.insert({left.path, int(left.status)});
            result.left.append(left);
        }
    }
    return result;
}

} // namespace Platform
