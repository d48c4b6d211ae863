#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "base/Result.h"

namespace moorvane {

// Error codes of a refused read that no system call reported (others carry the call's errno).
inline constexpr int notARegularFileCode = -1;
inline constexpr int largerThanBoundCode = -2;

enum class LastLink { follow, refuse };

// The whole content of the regular file at `path`, of at most `maxBytes`. Every failure comes back as an
// error, never as an exception: a missing file, a folder, a FIFO or device (refused without blocking), a
// read error, or a file larger than the bound (also one that grows past it while being read). With
// `LastLink::refuse`, a symbolic link in the file's own place is refused (ELOOP) rather than followed.
Result<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes,
                                    LastLink lastLink = LastLink::follow);

// "16 MiB" for a whole number of mebibytes, else "1000 bytes": how the read's bound is told in messages.
std::string sizeText(std::size_t bytes);

}  // namespace moorvane
