#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/Bytes.h"
#include "base/Date.h"
#include "base/Result.h"

namespace moorvane {

// An integer as a property list carries it: any signed 64-bit value, or an unsigned one above the signed
// range (binary property lists write those as 128-bit integers). -1 and 2^64-1 share their bits but are
// different values, so the kind is kept beside the bits.
class PlistInteger {
  public:
    constexpr PlistInteger(std::int64_t value = 0) : bits_(static_cast<std::uint64_t>(value)) {}
    static constexpr PlistInteger fromUnsigned(std::uint64_t value) {
        PlistInteger integer;
        integer.bits_ = value;
        integer.aboveSigned_ = value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return integer;
    }

    // The value when it fits a signed 64-bit integer.
    constexpr std::optional<std::int64_t> asSigned() const {
        if (aboveSigned_) return std::nullopt;
        return static_cast<std::int64_t>(bits_);
    }
    // The value when it is not negative.
    constexpr std::optional<std::uint64_t> asUnsigned() const {
        if (!aboveSigned_ && static_cast<std::int64_t>(bits_) < 0) return std::nullopt;
        return bits_;
    }
    constexpr bool isAboveSignedRange() const { return aboveSigned_; }
    constexpr bool isNegative() const { return !aboveSigned_ && static_cast<std::int64_t>(bits_) < 0; }

    friend constexpr bool operator==(const PlistInteger&, const PlistInteger&) = default;

  private:
    std::uint64_t bits_ = 0;
    bool aboveSigned_ = false;
};

class PlistValue;
using PlistArray = std::vector<PlistValue>;

// A dictionary that keeps its keys in the order they were read or first set: a tile written back must look
// like the tile that was read, and tests compare whole blobs.
class PlistDictionary {
  public:
    using Entry = std::pair<std::string, PlistValue>;
    using const_iterator = std::vector<Entry>::const_iterator;

    PlistDictionary();
    // A repeated key keeps its first position and its last value, as set() does.
    PlistDictionary(std::initializer_list<Entry> entries);
    // The same rule, in linear time for large dictionaries: readers use it so that a crafted file with many
    // keys cannot make set()'s search quadratic.
    static PlistDictionary fromEntries(std::vector<Entry> entries);

    // The value at `key`, or nothing.
    const PlistValue* find(std::string_view key) const;
    PlistValue* find(std::string_view key);
    // The value at `key` when it has the named type; a value of another type counts as missing.
    const std::string* findString(std::string_view key) const;
    const PlistDictionary* findDictionary(std::string_view key) const;
    const PlistArray* findArray(std::string_view key) const;

    // Replaces the value of an existing key where it stands, or appends the key.
    void set(std::string key, PlistValue value);
    bool erase(std::string_view key);

    std::size_t size() const;
    bool empty() const;
    const_iterator begin() const;
    const_iterator end() const;

    friend bool operator==(const PlistDictionary& a, const PlistDictionary& b);

  private:
    std::vector<Entry> entries_;
};

// One property-list value. There is no null: every value has one of the eight types.
class PlistValue {
  public:
    enum class Type { boolean, integer, real, string, date, data, array, dictionary };

    PlistValue(bool value) : value_(value) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) PlistValue(T value) : value_(makeInteger(value)) {}
    PlistValue(PlistInteger value) : value_(value) {}
    PlistValue(double value) : value_(value) {}
    PlistValue(std::string value) : value_(std::move(value)) {}
    PlistValue(std::string_view value) : value_(std::string(value)) {}
    PlistValue(const char* value) : value_(std::string(value)) {}
    PlistValue(Date value) : value_(value) {}
    PlistValue(Bytes value) : value_(std::move(value)) {}
    PlistValue(PlistArray value) : value_(std::move(value)) {}
    PlistValue(PlistDictionary value) : value_(std::move(value)) {}

    Type type() const { return static_cast<Type>(value_.index()); }

    // Each accessor gives the value when it has that type and nothing otherwise.
    std::optional<bool> boolean() const;
    std::optional<PlistInteger> integer() const;
    std::optional<double> real() const;
    std::optional<Date> date() const;
    const std::string* string() const { return std::get_if<std::string>(&value_); }
    const Bytes* data() const { return std::get_if<Bytes>(&value_); }
    const PlistArray* array() const { return std::get_if<PlistArray>(&value_); }
    PlistArray* array() { return std::get_if<PlistArray>(&value_); }
    const PlistDictionary* dictionary() const { return std::get_if<PlistDictionary>(&value_); }
    PlistDictionary* dictionary() { return std::get_if<PlistDictionary>(&value_); }

    // Same type and value; reals compare numerically except that every NaN equals every other NaN, so a value
    // read back after writing equals the one written.
    friend bool operator==(const PlistValue& a, const PlistValue& b);

  private:
    template <std::integral T>
    static constexpr PlistInteger makeInteger(T value) {
        if constexpr (std::is_signed_v<T>) {
            return PlistInteger(static_cast<std::int64_t>(value));
        } else {
            return PlistInteger::fromUnsigned(static_cast<std::uint64_t>(value));
        }
    }

    // The order of the alternatives is the order of Type.
    std::variant<bool, PlistInteger, double, std::string, Date, Bytes, PlistArray, PlistDictionary> value_;
};

// Nesting deeper than this is refused on reading and writing. Dock tiles nest four levels; the bound keeps
// recursion over hostile input far from the end of the stack.
inline constexpr std::size_t maxPlistDepth = 128;

// A binary property list ("bplist00") through libplist. Fails for what that format or libplist cannot carry
// faithfully: strings or keys that are not UTF-8 or hold a NUL, dates outside about 1933-2069 (libplist's
// dates count seconds in 32 bits), nesting deeper than maxPlistDepth.
Result<Bytes> writeBinary(const PlistValue& value);
// The XML form, for files meant to be read by people.
Result<std::string> writeXml(const PlistValue& value);

// Reads a binary ("bplist00") or XML property list. Anything malformed, truncated, cyclic, too deep or too
// large gives an Error saying what was wrong; no input is handed to code that could crash on it.
Result<PlistValue> readPlist(const Bytes& bytes);
Result<PlistValue> readPlist(std::string_view bytes);

}  // namespace moorvane
