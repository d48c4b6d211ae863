#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace moorvane {

// Standard alphabet, padded, no line breaks.
std::string base64Encode(const Bytes& bytes);
// Strict: only the padded standard form decodes; anything else (white space, missing padding, stray bits in
// the last character) gives nothing, so a hand-edited file cannot be misread as other bytes.
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace moorvane
