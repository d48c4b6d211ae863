#pragma once

#include <cstdint>
#include <vector>

namespace moorvane {

// Raw file and property-list content.
using Bytes = std::vector<std::uint8_t>;

}  // namespace moorvane
