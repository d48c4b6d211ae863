// Arbitrary bytes as a process's cgroup file and environment, as another user's program may shape them: the
// readers never crash, and an id they find is a desktop-file id (no folder, no NUL) and a launched file is
// believed only for the process or its parent.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/desktop/RunningApps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto id = moorvane::desktop::desktopIdOfCgroup(bytes)) {
        if (id->size() <= 8 || !id->ends_with(".desktop") || id->find('/') != std::string::npos ||
            id->find('\0') != std::string::npos)
            __builtin_trap();
    }
    if (const auto file = moorvane::desktop::launchedDesktopFile(bytes, 4242, 17)) {
        const auto pid = moorvane::desktop::environmentVariable(bytes, "GIO_LAUNCHED_DESKTOP_FILE_PID");
        long value = 0;
        if (file->empty() || !pid ||
            std::from_chars(pid->data(), pid->data() + pid->size(), value).ptr != pid->data() + pid->size() ||
            (value != 4242 && value != 17))
            __builtin_trap();
    }
    return 0;
}
