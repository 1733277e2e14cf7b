#include "nt.h"

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace Platform
{
namespace Win32
{

namespace
{

// The head of a mount point's reparse data (REPARSE_DATA_BUFFER, which only
// the driver kit declares).
struct MountPointReparseData {
    ULONG reparseTag;
    USHORT reparseDataLength;
    USHORT reserved;
    USHORT substituteNameOffset;
    USHORT substituteNameLength;
    USHORT printNameOffset;
    USHORT printNameLength;
    WCHAR pathBuffer[1];
};

// What the kernel reads and writes through these structures is laid out for
// the pointer size of the calling process (a 32-bit program on 64-bit
// Windows goes through WoW64, which translates them): the sizes and offsets
// the documentation gives for each, checked in both builds.
static_assert(sizeof(MountPointReparseData) == 20 &&
                  offsetof(MountPointReparseData, pathBuffer) == 16,
              "REPARSE_DATA_BUFFER's mount-point head");
static_assert(sizeof(UNICODE_STRING) == (kWide ? 16 : 8) &&
                  offsetof(UNICODE_STRING, Buffer) == (kWide ? 8 : 4),
              "UNICODE_STRING");
static_assert(sizeof(OBJECT_ATTRIBUTES) == (kWide ? 48 : 24) &&
                  offsetof(OBJECT_ATTRIBUTES, RootDirectory) == (kWide ? 8 : 4) &&
                  offsetof(OBJECT_ATTRIBUTES, ObjectName) == (kWide ? 16 : 8) &&
                  offsetof(OBJECT_ATTRIBUTES, Attributes) == (kWide ? 24 : 12),
              "OBJECT_ATTRIBUTES");
static_assert(sizeof(IO_STATUS_BLOCK) == (kWide ? 16 : 8) &&
                  offsetof(IO_STATUS_BLOCK, Information) == (kWide ? 8 : 4),
              "IO_STATUS_BLOCK");
static_assert(sizeof(FILE_DISPOSITION_INFO) == 1, "FILE_DISPOSITION_INFORMATION");
static_assert(sizeof(FILE_DISPOSITION_INFO_EX) == 4, "FILE_DISPOSITION_INFORMATION_EX");
static_assert(sizeof(FILE_ID_BOTH_DIR_INFO) == 112 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileNameLength) == 60 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileId) == 96 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileName) == 104,
              "FILE_ID_BOTH_DIR_INFO");
static_assert(sizeof(FILE_ID_INFO) == 24 && sizeof(FILE_ATTRIBUTE_TAG_INFO) == 8 &&
                  sizeof(FILE_BASIC_INFO) == 40 && sizeof(FILE_STANDARD_INFO) == 24,
              "the FILE_*_INFO classes read by handle");

// The substitute name of the mount point handle is, empty when unreadable.
std::wstring mountPointTarget(HANDLE handle)
{
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!::DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &size, nullptr) ||
        size < offsetof(MountPointReparseData, pathBuffer))
        return std::wstring();
    MountPointReparseData data;
    std::memcpy(&data, buffer.data(), offsetof(MountPointReparseData, pathBuffer));
    const std::size_t begin =
        offsetof(MountPointReparseData, pathBuffer) + data.substituteNameOffset;
    if (data.reparseTag != IO_REPARSE_TAG_MOUNT_POINT || begin + data.substituteNameLength > size)
        return std::wstring();
    std::wstring name(data.substituteNameLength / sizeof(wchar_t), L'\0');
    std::memcpy(&name[0], buffer.data() + begin, name.size() * sizeof(wchar_t));
    return name;
}

} // namespace

NTSTATUS openRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG options,
                      Handle& result)
{
    if (name.size() * sizeof(wchar_t) > 0xFFFF)
        return kInvalidParameter;
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, parent, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    const NTSTATUS status = ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll, FILE_OPEN,
        options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
            FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    result.reset(NT_SUCCESS(status) ? handle : nullptr);
    return status;
}

bool attributeTag(HANDLE handle, FILE_ATTRIBUTE_TAG_INFO& info)
{
    return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) != 0;
}

bool kindOf(HANDLE handle, EntryKind& kind)
{
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!attributeTag(handle, info))
        return false;
    const bool mountPoint = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                            info.ReparseTag == static_cast<DWORD>(IO_REPARSE_TAG_MOUNT_POINT);
    kind = entryKind(info.FileAttributes, info.ReparseTag,
                     mountPoint ? mountPointTarget(handle) : std::wstring());
    return true;
}

std::wstring trimmed(const wchar_t* path)
{
    std::wstring text = path ? path : L"";
    while (text.size() > 1 && (text.back() == L'\\' || text.back() == L'/') &&
           !(text.size() == 3 && text[1] == L':'))
        text.pop_back();
    return text;
}

bool sameName(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

Identity identityOf(HANDLE handle)
{
    Identity identity;
    // The 128-bit id where the file system has one (ReFS needs it all),
    // folded into 64 bits; the classic file index elsewhere.
    FILE_ID_INFO id;
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
        unsigned long long low = 0, high = 0;
        std::memcpy(&low, id.FileId.Identifier, sizeof low);
        std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
        identity.volume = id.VolumeSerialNumber;
        identity.file = low ^ high;
        identity.valid = true;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info))
        return identity;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.valid = true;
    return identity;
}

Handle openFollowing(const wchar_t* path)
{
    const std::wstring extended = extendedPath(path);
    return Handle(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool Retry::again()
{
    constexpr unsigned step = 5;
    if (m_waited >= m_budget || (m_shared && *m_shared >= m_sharedBudget))
        return false;
    ::Sleep(step);
    m_waited += step;
    if (m_shared)
        *m_shared += step;
    return true;
}

bool isVolumeName(const std::wstring& substituteName)
{
    static const wchar_t prefix[] = L"\\??\\Volume{";
    const std::size_t length = sizeof prefix / sizeof prefix[0] - 1;
    return substituteName.size() > length &&
           ::CompareStringOrdinal(substituteName.c_str(), static_cast<int>(length), prefix,
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

EntryKind entryKind(unsigned long attributes, unsigned long reparseTag,
                    const std::wstring& substituteName)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A volume mount point has the junction's tag and names a volume.
        if (reparseTag == static_cast<unsigned long>(IO_REPARSE_TAG_MOUNT_POINT) &&
            isVolumeName(substituteName))
            return EntryKind::OtherVolume;
        if (IsReparseTagNameSurrogate(reparseTag))
            return EntryKind::Link;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

bool isOneOf(const Identity& identity, const std::vector<Identity>& identities)
{
    for (const Identity& candidate : identities) {
        if (candidate == identity)
            return true;
    }
    return false;
}

} // namespace Win32
} // namespace Platform
