// Arbitrary bytes as a profile's application blob: decoding must never crash, and whatever parses must come
// back unchanged from a binary write and a second read.
#include <cstddef>
#include <cstdint>

#include "base/Plist.h"
#include "dock/TileCodec.h"
#include "model/DockProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const moorvane::Bytes bytes(data, data + size);
    (void)moorvane::decodeEntries(bytes);
    const moorvane::Result<moorvane::PlistValue> first = moorvane::readPlist(bytes);
    if (!first) return 0;
    const moorvane::Result<moorvane::Bytes> binary = moorvane::writeBinary(*first);
    if (!binary) return 0;
    const moorvane::Result<moorvane::PlistValue> second = moorvane::readPlist(*binary);
    if (!second || !(*second == *first)) __builtin_trap();
    return 0;
}
