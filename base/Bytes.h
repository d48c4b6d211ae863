#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace moorvane {

// Raw file and property-list content.
using Bytes = std::vector<std::uint8_t>;

// The same bytes seen as text, for the file helpers that take text.
inline std::string_view asText(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace moorvane
