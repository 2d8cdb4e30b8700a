#include "process_user.h"

#include <windows.h>

namespace processuser {

std::string Name() {
    wchar_t wide[257];
    DWORD size = sizeof wide / sizeof wide[0];
    if (!GetUserNameW(wide, &size)) return "unknown";
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return "unknown";
    std::string name(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, name.data(), length, nullptr, nullptr);
    return name;
}

} // namespace processuser
