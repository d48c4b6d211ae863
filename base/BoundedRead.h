#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "base/Result.h"

namespace moorvane {

// The whole content of the regular file at `path`, of at most `maxBytes`. Every failure comes back as an
// error, never as an exception: a missing file, a folder, a FIFO or device (refused without blocking), a
// read error, or a file larger than the bound (also one that grows past it while being read).
Result<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace moorvane
