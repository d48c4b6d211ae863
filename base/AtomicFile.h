#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "base/Result.h"

namespace moorvane {

// Replaces `target` as a whole, so a crash or a power loss at any moment leaves either the old or the new
// file: a hidden temporary file in the same folder gets `fileMode` and the content, is flushed to disk and
// renamed over the target, and then the folder is flushed so the rename itself is durable. On any failure
// the temporary file is removed and the target is untouched (unless only the folder's flush failed).
// With `folderMode`, missing folders on the way are made with that mode; without it they are an error.
Status writeFileAtomically(const std::filesystem::path& target, std::string_view content,
                           unsigned fileMode = 0644, std::optional<unsigned> folderMode = std::nullopt);

}  // namespace moorvane
