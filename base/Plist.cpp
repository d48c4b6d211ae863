#include "base/Plist.h"

#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <unordered_map>

namespace moorvane {

// ---- Values
// ----------------------------------------------------------------------------------------------------

PlistDictionary::PlistDictionary() = default;

PlistDictionary::PlistDictionary(std::initializer_list<Entry> entries) {
    for (const auto& [key, value] : entries) set(key, value);
}

PlistDictionary PlistDictionary::fromEntries(std::vector<Entry> entries) {
    PlistDictionary dictionary;
    dictionary.entries_.reserve(entries.size());
    // Tile dictionaries hold a handful of keys, where a scan beats building a hash table.
    if (entries.size() <= 16) {
        for (Entry& entry : entries) {
            if (PlistValue* existing = dictionary.find(entry.first)) {
                *existing = std::move(entry.second);
            } else {
                dictionary.entries_.push_back(std::move(entry));
            }
        }
        return dictionary;
    }
    // Views into the keys already placed; the reserve above keeps them from moving.
    std::unordered_map<std::string_view, std::size_t> positions;
    positions.reserve(entries.size());
    for (Entry& entry : entries) {
        const auto found = positions.find(entry.first);
        if (found != positions.end()) {
            dictionary.entries_[found->second].second = std::move(entry.second);
            continue;
        }
        dictionary.entries_.push_back(std::move(entry));
        positions.emplace(dictionary.entries_.back().first, dictionary.entries_.size() - 1);
    }
    return dictionary;
}

const PlistValue* PlistDictionary::find(std::string_view key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) return &entry.second;
    }
    return nullptr;
}

PlistValue* PlistDictionary::find(std::string_view key) {
    for (auto& entry : entries_) {
        if (entry.first == key) return &entry.second;
    }
    return nullptr;
}

const std::string* PlistDictionary::findString(std::string_view key) const {
    const PlistValue* value = find(key);
    return value ? value->string() : nullptr;
}

const PlistDictionary* PlistDictionary::findDictionary(std::string_view key) const {
    const PlistValue* value = find(key);
    return value ? value->dictionary() : nullptr;
}

const PlistArray* PlistDictionary::findArray(std::string_view key) const {
    const PlistValue* value = find(key);
    return value ? value->array() : nullptr;
}

void PlistDictionary::set(std::string key, PlistValue value) {
    if (PlistValue* existing = find(key)) {
        *existing = std::move(value);
        return;
    }
    entries_.emplace_back(std::move(key), std::move(value));
}

bool PlistDictionary::erase(std::string_view key) {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [key](const Entry& e) { return e.first == key; });
    if (found == entries_.end()) return false;
    entries_.erase(found);
    return true;
}

std::size_t PlistDictionary::size() const {
    return entries_.size();
}
bool PlistDictionary::empty() const {
    return entries_.empty();
}
PlistDictionary::const_iterator PlistDictionary::begin() const {
    return entries_.begin();
}
PlistDictionary::const_iterator PlistDictionary::end() const {
    return entries_.end();
}

bool operator==(const PlistDictionary& a, const PlistDictionary& b) {
    return a.entries_ == b.entries_;
}

std::optional<bool> PlistValue::boolean() const {
    if (const bool* value = std::get_if<bool>(&value_)) return *value;
    return std::nullopt;
}

std::optional<PlistInteger> PlistValue::integer() const {
    if (const PlistInteger* value = std::get_if<PlistInteger>(&value_)) return *value;
    return std::nullopt;
}

std::optional<double> PlistValue::real() const {
    if (const double* value = std::get_if<double>(&value_)) return *value;
    return std::nullopt;
}

std::optional<Date> PlistValue::date() const {
    if (const Date* value = std::get_if<Date>(&value_)) return *value;
    return std::nullopt;
}

bool operator==(const PlistValue& a, const PlistValue& b) {
    if (a.value_.index() != b.value_.index()) return false;
    if (const double* x = std::get_if<double>(&a.value_)) {
        const double y = std::get<double>(b.value_);
        return *x == y || (std::isnan(*x) && std::isnan(y));
    }
    return a.value_ == b.value_;
}

namespace {

using namespace std::chrono;

// ---- Text
// ------------------------------------------------------------------------------------------------------

constexpr char32_t replacementCharacter = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Well-formed UTF-8 only: no overlong forms, no encoded surrogates, nothing above U+10FFFF. libplist converts
// non-ASCII strings to UTF-16 without these checks and silently cuts a string at the first bad sequence.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) return false;
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

Status checkWritableText(std::string_view text, std::string_view what) {
    // libplist measures strings with strlen, so a NUL would end the text early.
    if (text.find('\0') != std::string_view::npos) return Error{std::string(what) + " holds a NUL character"};
    if (!isValidUtf8(text)) return Error{std::string(what) + " is not valid UTF-8"};
    return done();
}

// ---- Dates
// -----------------------------------------------------------------------------------------------------

constexpr sys_days referenceDay = sys_days(year{2001} / 1 / 1);
constexpr std::int64_t microsPerSecond = 1'000'000;

// Four-digit years only: ISO 8601 text and every calendar library agree on those.
constexpr double earliestReferenceSeconds =
    static_cast<double>(duration_cast<seconds>(sys_days(year{1} / 1 / 1) - referenceDay).count());
constexpr double latestReferenceSeconds =
    static_cast<double>(duration_cast<seconds>(sys_days(year{10000} / 1 / 1) - referenceDay).count());

std::optional<Date> dateFromReference(double secondsSinceReference) {
    if (!std::isfinite(secondsSinceReference) || secondsSinceReference < earliestReferenceSeconds ||
        secondsSinceReference >= latestReferenceSeconds) {
        return std::nullopt;
    }
    return dateFromReferenceSeconds(secondsSinceReference);
}

// ---- libplist handles
// ------------------------------------------------------------------------------------------

struct NodeFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using NodePtr = std::unique_ptr<void, NodeFree>;

struct MallocFree {
    void operator()(void* memory) const { std::free(memory); }
};
using MallocPtr = std::unique_ptr<char, MallocFree>;

struct XmlFree {
    void operator()(char* text) const { plist_to_xml_free(text); }
};
struct BinFree {
    void operator()(char* bytes) const { plist_to_bin_free(bytes); }
};

std::string nodeXml(plist_t node) {
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &raw, &length);
    std::unique_ptr<char, XmlFree> text(raw);
    return text ? std::string(text.get(), length) : std::string();
}

NodePtr nodeFromXml(const std::string& xml) {
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
    return NodePtr(node);
}

// ---- PlistValue to libplist
// ------------------------------------------------------------------------------------

// libplist 2.2 keeps every integer as 64 unsigned bits plus a width; plist_new_uint always makes the signed
// 8-byte width, so 2^63 and above would come back negative. Only its XML reader makes the 16-byte width that
// the binary writer emits as an unsigned 128-bit integer.
NodePtr largeUnsignedNode(std::uint64_t value) {
    return nodeFromXml("<plist version=\"1.0\"><integer>" + std::to_string(value) + "</integer></plist>");
}

Result<NodePtr> toNode(const PlistValue& value, std::size_t depth) {
    if (depth > maxPlistDepth) return Error{"property list nested too deep"};
    switch (value.type()) {
        case PlistValue::Type::boolean:
            return NodePtr(plist_new_bool(*value.boolean() ? 1 : 0));
        case PlistValue::Type::integer: {
            const PlistInteger integer = *value.integer();
            if (integer.isAboveSignedRange()) {
                NodePtr node = largeUnsignedNode(*integer.asUnsigned());
                if (!node) return Error{"libplist could not hold an unsigned integer"};
                return node;
            }
            return NodePtr(plist_new_uint(static_cast<std::uint64_t>(*integer.asSigned())));
        }
        case PlistValue::Type::real:
            return NodePtr(plist_new_real(*value.real()));
        case PlistValue::Type::string: {
            if (Status text = checkWritableText(*value.string(), "string"); !text) return text.error();
            return NodePtr(plist_new_string(value.string()->c_str()));
        }
        case PlistValue::Type::date: {
            const std::int64_t micros =
                duration_cast<microseconds>(*value.date() - Date(referenceDay)).count();
            // Floor division keeps the microseconds in [0, 1e6), the form libplist adds back together.
            std::int64_t sec = micros / microsPerSecond;
            std::int64_t usec = micros % microsPerSecond;
            if (usec < 0) usec += microsPerSecond, --sec;
            if (sec < std::numeric_limits<std::int32_t>::min() ||
                sec > std::numeric_limits<std::int32_t>::max()) {
                return Error{"date out of the range libplist can write"};
            }
            return NodePtr(plist_new_date(static_cast<std::int32_t>(sec), static_cast<std::int32_t>(usec)));
        }
        case PlistValue::Type::data: {
            const Bytes& bytes = *value.data();
            static const char empty = 0;
            const char* start = bytes.empty() ? &empty : reinterpret_cast<const char*>(bytes.data());
            return NodePtr(plist_new_data(start, bytes.size()));
        }
        case PlistValue::Type::array: {
            NodePtr node(plist_new_array());
            for (const PlistValue& item : *value.array()) {
                Result<NodePtr> child = toNode(item, depth + 1);
                if (!child) return child.error();
                plist_array_append_item(node.get(), child->release());
            }
            return node;
        }
        case PlistValue::Type::dictionary: {
            NodePtr node(plist_new_dict());
            for (const auto& [key, item] : *value.dictionary()) {
                if (Status text = checkWritableText(key, "dictionary key"); !text) return text.error();
                Result<NodePtr> child = toNode(item, depth + 1);
                if (!child) return child.error();
                plist_dict_set_item(node.get(), key.c_str(), child->release());
            }
            return node;
        }
    }
    return Error{"unknown property-list type"};
}

// ---- libplist to PlistValue (XML input)
// ------------------------------------------------------------------------

// The same 64 bits stand for -1 and 2^64-1 in libplist 2.2, and only its XML writer tells the widths apart.
bool isLargeUnsignedNode(plist_t node) {
    const std::string xml = nodeXml(node);
    const std::size_t at = xml.find("<integer>");
    return at != std::string::npos && xml.compare(at + 9, 1, "-") != 0;
}

struct ArrayIterFree {
    void operator()(plist_array_iter iter) const { std::free(iter); }
};
struct DictIterFree {
    void operator()(plist_dict_iter iter) const { std::free(iter); }
};

Result<PlistValue> fromNode(plist_t node, std::size_t depth) {
    if (depth > maxPlistDepth) return Error{"property list nested too deep"};
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PlistValue(value != 0);
        }
        case PLIST_UINT: {
            std::uint64_t bits = 0;
            plist_get_uint_val(node, &bits);
            if (bits > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) &&
                isLargeUnsignedNode(node)) {
                return PlistValue(PlistInteger::fromUnsigned(bits));
            }
            return PlistValue(PlistInteger(static_cast<std::int64_t>(bits)));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PlistValue(value);
        }
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            std::string value = text ? std::string(text, length) : std::string();
            if (!isValidUtf8(value)) return Error{"string is not valid UTF-8"};
            return PlistValue(std::move(value));
        }
        case PLIST_DATE: {
            // libplist's XML reader keeps whole seconds only, and clamps dates outside 32-bit seconds.
            std::int32_t sec = 0;
            std::int32_t usec = 0;
            plist_get_date_val(node, &sec, &usec);
            return PlistValue(Date(referenceDay) + seconds(sec) + microseconds(usec));
        }
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* start = plist_get_data_ptr(node, &length);
            if (!start) return PlistValue(Bytes{});
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(start);
            return PlistValue(Bytes(bytes, bytes + length));
        }
        case PLIST_ARRAY: {
            PlistArray items;
            plist_array_iter raw = nullptr;
            plist_array_new_iter(node, &raw);
            std::unique_ptr<void, ArrayIterFree> iter(raw);
            for (;;) {
                plist_t item = nullptr;
                plist_array_next_item(node, iter.get(), &item);
                if (!item) break;
                Result<PlistValue> value = fromNode(item, depth + 1);
                if (!value) return value.error();
                items.push_back(std::move(*value));
            }
            return PlistValue(std::move(items));
        }
        case PLIST_DICT: {
            std::vector<PlistDictionary::Entry> entries;
            plist_dict_iter raw = nullptr;
            plist_dict_new_iter(node, &raw);
            std::unique_ptr<void, DictIterFree> iter(raw);
            for (;;) {
                char* rawKey = nullptr;
                plist_t item = nullptr;
                plist_dict_next_item(node, iter.get(), &rawKey, &item);
                MallocPtr key(rawKey);
                if (!item) break;
                if (!key || !isValidUtf8(key.get())) return Error{"dictionary key is not valid UTF-8"};
                Result<PlistValue> value = fromNode(item, depth + 1);
                if (!value) return value.error();
                entries.emplace_back(key.get(), std::move(*value));
            }
            return PlistValue(PlistDictionary::fromEntries(std::move(entries)));
        }
        default:
            return Error{"property list holds a value of an unsupported type"};
    }
}

// libplist 2.2 frees its trees recursively and overflows the stack somewhere past 100,000 nested containers
// (sooner under sanitizers). Each container it builds starts with one of these two tag openings, so counting
// them bounds the nesting exactly, whatever comments or odd markup surround them.
constexpr std::size_t maxXmlContainers = 10'000;

std::size_t countOccurrences(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

Result<PlistValue> readXml(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return Error{"property list too large"};
    if (countOccurrences(bytes, "<dict") + countOccurrences(bytes, "<array") > maxXmlContainers) {
        return Error{"XML property list has too many containers"};
    }
    // A terminated copy: the parser is only asked to stop at the length, and a number at the very end of an
    // unterminated buffer is where C text parsers read past it.
    const std::string text(bytes);
    plist_t raw = nullptr;
    plist_from_xml(text.c_str(), static_cast<std::uint32_t>(text.size()), &raw);
    NodePtr root(raw);
    if (!root) return Error{"not a property list"};
    return fromNode(root.get(), 1);
}

// ---- Binary reader
// ---------------------------------------------------------------------------------------------

// libplist 2.2's binary parser reads past buffers and recurses without bound on crafted input (bad offsets,
// object references out of range, self-referencing containers, lengths that wrap), so binary property lists
// are read here instead, checking every offset, reference, length and the nesting before using it.
class BinaryReader {
  public:
    explicit BinaryReader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes),
          budget_(std::clamp(bytes.size() > maxExpandedBytes / expansionFactor
                                 ? maxExpandedBytes
                                 : bytes.size() * expansionFactor,
                             minExpandedBytes, maxExpandedBytes)) {}

    Result<PlistValue> read() {
        if (!readTrailer()) return Error{error_};
        onPath_.assign(static_cast<std::size_t>(objectCount_), false);
        std::optional<PlistValue> root = object(topObject_, 1);
        if (!root) return Error{error_};
        return std::move(*root);
    }

  private:
    static constexpr std::size_t headerSize = 8;
    static constexpr std::size_t trailerSize = 32;
    // Shared objects are expanded into copies here, so a few crafted references to references could ask for
    // gigabytes. Real lists share little (CF shares equal values; a tile's bookmark data is its own), so a
    // multiple of the input with a floor for small inputs leaves them far inside the bound.
    static constexpr std::size_t minExpandedBytes = 2 * 1024 * 1024;
    static constexpr std::size_t maxExpandedBytes = 256 * 1024 * 1024;
    static constexpr std::size_t expansionFactor = 64;
    static constexpr std::size_t costPerValue = 32;

    bool fail(std::string message) {
        error_ = "malformed binary property list: " + std::move(message);
        return false;
    }

    std::uint64_t bigEndian(std::size_t at, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes_[at + i];
        return value;
    }

    bool readTrailer() {
        if (bytes_.size() < headerSize + 2 + trailerSize) return fail("too short");
        const std::size_t trailer = bytes_.size() - trailerSize;
        offsetSize_ = bytes_[trailer + 6];
        refSize_ = bytes_[trailer + 7];
        objectCount_ = bigEndian(trailer + 8, 8);
        topObject_ = bigEndian(trailer + 16, 8);
        const std::uint64_t tableOffset = bigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8) return fail("bad offset size");
        if (refSize_ < 1 || refSize_ > 8) return fail("bad object reference size");
        if (objectCount_ < 1) return fail("no objects");
        if (topObject_ >= objectCount_) return fail("top object out of range");
        if (tableOffset <= headerSize || tableOffset >= trailer) return fail("offset table out of range");
        if (objectCount_ > (trailer - tableOffset) / offsetSize_) return fail("offset table truncated");
        tableOffset_ = static_cast<std::size_t>(tableOffset);
        return true;
    }

    // Objects live between the header and the offset table.
    bool available(std::size_t at, std::uint64_t count) const {
        return at <= tableOffset_ && count <= tableOffset_ - at;
    }

    bool charge(std::uint64_t cost) {
        if (cost > budget_ - expanded_) return fail("expands beyond " + std::to_string(budget_) + " bytes");
        expanded_ += static_cast<std::size_t>(cost);
        return true;
    }

    // The count in a marker's low nibble, or, when that is 0xF, the integer object that follows it.
    bool count(std::size_t& at, std::uint8_t marker, std::uint64_t& result) {
        if ((marker & 0x0F) != 0x0F) {
            result = marker & 0x0F;
            return true;
        }
        if (!available(at, 1)) return fail("truncated count");
        const std::uint8_t intMarker = bytes_[at++];
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3) return fail("bad count");
        const std::size_t width = std::size_t{1} << (intMarker & 0x0F);
        if (!available(at, width)) return fail("truncated count");
        result = bigEndian(at, width);
        at += width;
        if (width == 8 && static_cast<std::int64_t>(result) < 0) return fail("negative count");
        return true;
    }

    bool reference(std::size_t at, std::uint64_t& ref) {
        ref = bigEndian(at, refSize_);
        if (ref >= objectCount_) return fail("object reference out of range");
        return true;
    }

    std::optional<PlistValue> object(std::uint64_t ref, std::size_t depth) {
        if (depth > maxPlistDepth) return failed("nested too deep");
        const auto index = static_cast<std::size_t>(ref);
        if (onPath_[index]) return failed("a container holds itself");
        if (!charge(costPerValue)) return std::nullopt;
        const std::uint64_t offset = bigEndian(tableOffset_ + index * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) return failed("object offset out of range");
        std::size_t at = static_cast<std::size_t>(offset);
        const std::uint8_t marker = bytes_[at++];
        switch (marker >> 4) {
            case 0x0:
                if (marker == 0x08) return PlistValue(false);
                if (marker == 0x09) return PlistValue(true);
                return failed("null and fill objects are not property-list values");
            case 0x1:
                return integer(at, marker);
            case 0x2:
                return real(at, marker);
            case 0x3:
                return date(at, marker);
            case 0x4: {
                std::uint64_t length = 0;
                if (!count(at, marker, length)) return std::nullopt;
                if (!available(at, length)) return failed("truncated data");
                if (!charge(length)) return std::nullopt;
                const auto start = bytes_.begin() + static_cast<std::ptrdiff_t>(at);
                return PlistValue(Bytes(start, start + static_cast<std::ptrdiff_t>(length)));
            }
            case 0x5:
                return asciiString(at, marker);
            case 0x6:
                return utf16String(at, marker);
            case 0xA:
                return container(index, at, marker, depth, false);
            case 0xD:
                return container(index, at, marker, depth, true);
            case 0x8:
                return failed("UID objects (keyed archives) are not supported");
            default:
                return failed("unsupported object type");
        }
    }

    std::optional<PlistValue> failed(std::string message) {
        fail(std::move(message));
        return std::nullopt;
    }

    std::optional<PlistValue> integer(std::size_t at, std::uint8_t marker) {
        const unsigned power = marker & 0x0F;
        if (power > 4) return failed("bad integer width");
        const std::size_t width = std::size_t{1} << power;
        if (!available(at, width)) return failed("truncated integer");
        if (width < 8) return PlistValue(PlistInteger(static_cast<std::int64_t>(bigEndian(at, width))));
        if (width == 8) return PlistValue(PlistInteger(static_cast<std::int64_t>(bigEndian(at, 8))));
        // 128 bits, signed: what fits 64 bits is kept, as unsigned when the high half is zero.
        const std::uint64_t high = bigEndian(at, 8);
        const std::uint64_t low = bigEndian(at + 8, 8);
        if (high == 0) return PlistValue(PlistInteger::fromUnsigned(low));
        if (high == ~std::uint64_t{0} && static_cast<std::int64_t>(low) < 0) {
            return PlistValue(PlistInteger(static_cast<std::int64_t>(low)));
        }
        return failed("integer beyond 64 bits");
    }

    double ieee(std::size_t at, std::size_t width) const {
        if (width == 4) {
            const auto bits = static_cast<std::uint32_t>(bigEndian(at, 4));
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        const std::uint64_t bits = bigEndian(at, 8);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::optional<PlistValue> real(std::size_t at, std::uint8_t marker) {
        if (marker != 0x22 && marker != 0x23) return failed("bad real width");
        const std::size_t width = marker == 0x22 ? 4 : 8;
        if (!available(at, width)) return failed("truncated real");
        return PlistValue(ieee(at, width));
    }

    std::optional<PlistValue> date(std::size_t at, std::uint8_t marker) {
        if (marker != 0x33) return failed("bad date");
        if (!available(at, 8)) return failed("truncated date");
        std::optional<Date> value = dateFromReference(ieee(at, 8));
        if (!value) return failed("date out of range");
        return PlistValue(*value);
    }

    std::optional<PlistValue> asciiString(std::size_t at, std::uint8_t marker) {
        std::uint64_t length = 0;
        if (!count(at, marker, length)) return std::nullopt;
        if (!available(at, length)) return failed("truncated string");
        if (!charge(2 * length)) return std::nullopt;
        const auto* first = bytes_.data() + at;
        const auto* last = first + length;
        if (std::all_of(first, last, [](auto byte) { return byte < 0x80; }))
            return PlistValue(
                std::string(reinterpret_cast<const char*>(first), static_cast<std::size_t>(length)));
        std::string text;
        text.reserve(static_cast<std::size_t>(length) * 2);
        // Bytes above 0x7F never occur in what Apple writes; reading them as Latin-1 keeps them legible.
        for (const auto* byte = first; byte != last; ++byte) appendUtf8(text, *byte);
        return PlistValue(std::move(text));
    }

    std::optional<PlistValue> utf16String(std::size_t at, std::uint8_t marker) {
        std::uint64_t units = 0;
        if (!count(at, marker, units)) return std::nullopt;
        if (units > tableOffset_ / 2 || !available(at, units * 2)) return failed("truncated string");
        if (!charge(2 * units)) return std::nullopt;
        std::string text;
        text.reserve(static_cast<std::size_t>(units));
        for (std::size_t i = 0; i < units; ++i) {
            const auto unit = static_cast<char32_t>(bigEndian(at + 2 * i, 2));
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                const auto next = static_cast<char32_t>(bigEndian(at + 2 * (i + 1), 2));
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                    ++i;
                    continue;
                }
            }
            // A lone surrogate has no UTF-8 form.
            appendUtf8(text, unit >= 0xD800 && unit <= 0xDFFF ? replacementCharacter : unit);
        }
        return PlistValue(std::move(text));
    }

    std::optional<PlistValue> container(std::size_t index, std::size_t at, std::uint8_t marker,
                                        std::size_t depth, bool isDictionary) {
        std::uint64_t length = 0;
        if (!count(at, marker, length)) return std::nullopt;
        const std::uint64_t perItem = refSize_ * (isDictionary ? 2u : 1u);
        if (length > tableOffset_ / perItem || !available(at, length * perItem))
            return failed("truncated container");
        const auto items = static_cast<std::size_t>(length);
        onPath_[index] = true;
        std::optional<PlistValue> result;
        if (isDictionary) {
            result = dictionary(at, items, depth);
        } else {
            result = array(at, items, depth);
        }
        onPath_[index] = false;
        return result;
    }

    std::optional<PlistValue> array(std::size_t at, std::size_t items, std::size_t depth) {
        PlistArray values;
        values.reserve(items);
        for (std::size_t i = 0; i < items; ++i) {
            std::uint64_t ref = 0;
            if (!reference(at + i * refSize_, ref)) return std::nullopt;
            std::optional<PlistValue> value = object(ref, depth + 1);
            if (!value) return std::nullopt;
            values.push_back(std::move(*value));
        }
        return PlistValue(std::move(values));
    }

    std::optional<PlistValue> dictionary(std::size_t at, std::size_t items, std::size_t depth) {
        std::vector<PlistDictionary::Entry> entries;
        entries.reserve(items);
        for (std::size_t i = 0; i < items; ++i) {
            std::uint64_t keyRef = 0;
            std::uint64_t valueRef = 0;
            if (!reference(at + i * refSize_, keyRef) || !reference(at + (items + i) * refSize_, valueRef)) {
                return std::nullopt;
            }
            std::optional<PlistValue> key = object(keyRef, depth + 1);
            if (!key) return std::nullopt;
            if (!key->string()) return failed("dictionary key is not a string");
            std::optional<PlistValue> value = object(valueRef, depth + 1);
            if (!value) return std::nullopt;
            entries.emplace_back(*key->string(), std::move(*value));
        }
        return PlistValue(PlistDictionary::fromEntries(std::move(entries)));
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t offsetSize_ = 0;
    std::size_t refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::size_t tableOffset_ = 0;
    std::size_t budget_;
    std::size_t expanded_ = 0;
    std::vector<bool> onPath_;
    std::string error_;
};

constexpr std::string_view binaryMagic = "bplist";
constexpr std::string_view binaryVersion = "bplist00";

}  // namespace

Result<Bytes> writeBinary(const PlistValue& value) {
    Result<NodePtr> node = toNode(value, 1);
    if (!node) return node.error();
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node->get(), &raw, &length);
    std::unique_ptr<char, BinFree> bytes(raw);
    if (!bytes || length == 0) return Error{"libplist could not write the binary property list"};
    const auto* start = reinterpret_cast<const std::uint8_t*>(bytes.get());
    return Bytes(start, start + length);
}

Result<std::string> writeXml(const PlistValue& value) {
    Result<NodePtr> node = toNode(value, 1);
    if (!node) return node.error();
    std::string xml = nodeXml(node->get());
    if (xml.empty()) return Error{"libplist could not write the XML property list"};
    return xml;
}

Result<PlistValue> readPlist(std::string_view bytes) {
    if (bytes.empty()) return Error{"empty property list"};
    if (bytes.substr(0, binaryMagic.size()) == binaryMagic) {
        if (bytes.substr(0, binaryVersion.size()) != binaryVersion) {
            return Error{"unsupported binary property list version"};
        }
        const auto* start = reinterpret_cast<const std::uint8_t*>(bytes.data());
        return BinaryReader({start, bytes.size()}).read();
    }
    return readXml(bytes);
}

Result<PlistValue> readPlist(const Bytes& bytes) {
    return readPlist(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace moorvane
