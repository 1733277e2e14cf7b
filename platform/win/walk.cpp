// The folder walk of native/folderwalk.cpp, in Qt's terms.

#include "platform/walk.h"
#include "convert.h"

namespace Platform
{

using namespace WinConvert;

FolderRemoval removeFolderContents(const QString& folder, const QStringList& removeLast,
                                   const FileIdentity& expected, const EntryFilter* filter,
                                   const QVector<FileIdentity>& sealed)
{
    std::vector<std::wstring> last;
    for (const QString& name : removeLast)
        last.push_back(QDir::toNativeSeparators(name).toStdWString());
    Win32::EntryDecider decide;
    if (filter) {
        decide = [filter](const std::wstring& relative, bool isFolder) {
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
    const Win32::ContentsRemoval removal = Win32::removeFolderContents(
        nativePath(folder).c_str(), last, win32Identity(expected), decide, win32Identities(sealed));
    FolderRemoval result;
    result.complete = removal.complete;
    result.otherFileSystems = qtPaths(removal.otherFileSystems);
    result.otherProducts = qtPaths(removal.otherProducts);
    result.inUse = qtPaths(removal.inUse);
    for (const auto& [path, error] : removal.failed)
        result.failed.append({qtPath(path), static_cast<int>(error)});
    // The second pass over what went last may meet a kept entry again.
    result.kept = qtPaths(removal.kept);
    result.kept.sort();
    result.kept.removeDuplicates();
    return result;
}

} // namespace Platform
