// What a path leads to: its identity, its change time, and whether it is a
// volume's root or mount point.

#include "nt.h"

#include <cwchar>

namespace Platform
{
namespace Win32
{

Identity fileIdentity(const wchar_t* path)
{
    const Handle handle = openFollowing(path);
    return handle.valid() ? identityOf(handle.get()) : Identity();
}

bool isMountPoint(const wchar_t* path)
{
    const std::wstring text = trimmed(path);
    const std::wstring extended = extendedPath(text.c_str());
    // GetVolumePathName gives the root of the volume the path lies on, be it
    // a drive or a folder a volume is mounted in.
    std::wstring volume(extended.size() + 2, L'\0');
    if (text.empty() ||
        !::GetVolumePathNameW(extended.c_str(), &volume[0], static_cast<DWORD>(volume.size())))
        return true;
    volume.resize(std::wcslen(volume.c_str()));
    if (sameName(trimmed(volume.c_str()), trimmed(extended.c_str())) || sameName(volume, extended))
        return true;
    // The entry itself, not what it leads to: a mount point?
    Handle self(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    EntryKind kind = EntryKind::File;
    if (!self.valid() || !kindOf(self.get(), kind) || kind == EntryKind::OtherVolume)
        return true;
    // Where it leads against where its parent folder lies: a junction to
    // another volume.
    const std::size_t separator = text.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return true;
    std::wstring parentPath = text.substr(0, separator);
    if (parentPath.size() == 2 && parentPath[1] == L':')
        parentPath += L'\\';
    const Handle target = openFollowing(text.c_str());
    const Handle parent = openFollowing(parentPath.c_str());
    if (!target.valid() || !parent.valid())
        return true;
    const Identity a = identityOf(target.get());
    const Identity b = identityOf(parent.get());
    return !a.valid || !b.valid || a.volume != b.volume;
}

} // namespace Win32
} // namespace Platform
