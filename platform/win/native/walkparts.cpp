// What the folder walk keeps for last, and what it left, in its own terms.

#include "nt.h"

namespace Platform
{
namespace Win32
{

bool contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& candidate : names) {
        if (sameName(candidate, name))
            return true;
    }
    return false;
}

Deferred deferredEntries(const std::vector<std::wstring>& removeLast)
{
    const auto usable = [](const std::wstring& name) {
        return !name.empty() && name != L"." && name != L".." &&
               name.find_first_of(L":") == std::wstring::npos;
    };
    Deferred deferred;
    for (std::wstring entry : removeLast) {
        for (wchar_t& c : entry) {
            if (c == L'/')
                c = L'\\';
        }
        const std::size_t separator = entry.find(L'\\');
        const std::wstring first = entry.substr(0, separator);
        const std::wstring second =
            separator == std::wstring::npos ? std::wstring() : entry.substr(separator + 1);
        if (!usable(first) || (separator != std::wstring::npos &&
                               (!usable(second) || second.find(L'\\') != std::wstring::npos)))
            continue;
        if (separator == std::wstring::npos) {
            deferred.entries.push_back(first);
            continue;
        }
        std::size_t holder = 0;
        while (holder < deferred.holders.size() && !sameName(deferred.holders[holder], first))
            ++holder;
        if (holder == deferred.holders.size()) {
            deferred.holders.push_back(first);
            deferred.inside.emplace_back();
        }
        deferred.inside[holder].push_back(second);
    }
    return deferred;
}

std::vector<std::wstring> ContentsRemoval::paths(LeftStatus status) const
{
    std::vector<std::wstring> found;
    for (const LeftEntry& entry : left) {
        if (entry.status == status)
            found.push_back(entry.path);
    }
    return found;
}

} // namespace Win32
} // namespace Platform
