#include "base/Plist.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

using namespace std::chrono;

Date at(double referenceSeconds) {
    return dateFromReferenceSeconds(referenceSeconds);
}

struct ValueCase {
    const char* name;
    PlistValue value;
};

class PlistRoundTrip : public ::testing::TestWithParam<ValueCase> {};

TEST_P(PlistRoundTrip, BinaryAndXmlGiveTheSameValueBack) {
    const PlistValue& value = GetParam().value;
    Result<Bytes> binary = writeBinary(value);
    ASSERT_TRUE(binary) << binary.error().description;
    Result<PlistValue> fromBinary = readPlist(*binary);
    ASSERT_TRUE(fromBinary) << fromBinary.error().description;
    EXPECT_EQ(*fromBinary, value);
    if (value.type() == PlistValue::Type::date || value.type() == PlistValue::Type::real)
        return;  // XML rounds
    Result<std::string> xml = writeXml(value);
    ASSERT_TRUE(xml) << xml.error().description;
    Result<PlistValue> fromXml = readPlist(*xml);
    ASSERT_TRUE(fromXml) << fromXml.error().description;
    EXPECT_EQ(*fromXml, value);
}

constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t uint64Max = std::numeric_limits<std::uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    EveryType, PlistRoundTrip,
    ::testing::Values(
        ValueCase{"True", true}, ValueCase{"OneByte", 255},
        ValueCase{"FileModDate", std::int64_t{3831472964}}, ValueCase{"MinusOne", -1},
        ValueCase{"Int64Min", int64Min}, ValueCase{"Int64Max", std::numeric_limits<std::int64_t>::max()},
        ValueCase{"TwoToThe63", std::uint64_t{1} << 63}, ValueCase{"Uint64Max", uint64Max},
        ValueCase{"FloatReal", 96.0}, ValueCase{"DoubleReal", 771231876.117003},
        ValueCase{"NegativeZero", -0.0}, ValueCase{"NaN", std::nan("")},
        ValueCase{"Infinity", std::numeric_limits<double>::infinity()}, ValueCase{"EmptyString", ""},
        ValueCase{"Accented", "Caf\xC3\xA9"}, ValueCase{"Astral", "rocket \xF0\x9F\x9A\x80"},
        ValueCase{"ReferenceDate", at(0)}, ValueCase{"MicrosecondsBefore2001", at(-12345.000001)},
        ValueCase{"Year2068", at(2'100'000'000.5)}, ValueCase{"EmptyData", Bytes{}},
        ValueCase{"Data", Bytes{0, 1, 0xFE, 0xFF}}, ValueCase{"EmptyArray", PlistArray{}},
        ValueCase{"Nested",
                  PlistArray{PlistDictionary{{"z", 1}, {"a", PlistArray{"x", -2}}, {"m", ""}}, "x"}}),
    moorvane::testing::caseName);

TEST(Plist, DictionaryKeepsKeyOrderAndSetReplacesInPlace) {
    PlistDictionary dictionary{{"zeta", 1}, {"alpha", 2}, {"mid", 3}};
    dictionary.set("alpha", "two");
    Result<PlistValue> back = readPlist(*writeBinary(dictionary));
    ASSERT_TRUE(back);
    std::vector<std::string> keys;
    for (const auto& entry : *back->dictionary()) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"zeta", "alpha", "mid"}));
    EXPECT_EQ(*back->dictionary()->findString("alpha"), "two");
    EXPECT_EQ(back->dictionary()->findString("zeta"), nullptr);  // an integer is not a string
}

TEST(Plist, WritingRefusesWhatLibplistWouldCorrupt) {
    PlistValue deep = PlistArray{};
    for (std::size_t i = 0; i < maxPlistDepth; ++i) deep = PlistArray{deep};
    for (const PlistValue& value : {PlistValue(std::string("a\0b", 3)), PlistValue("bad \xC3"),
                                    PlistValue(PlistDictionary{{"\xFF", 1}}), PlistValue(at(2.2e9)), deep}) {
        EXPECT_FALSE(writeBinary(value)) << static_cast<int>(value.type());
    }
}

// A binary property list assembled by hand: objects in order, one-byte offsets and references.
Bytes bplist(const std::vector<Bytes>& objects, std::uint8_t top = 0, std::uint8_t objectCount = 0) {
    Bytes out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    Bytes offsets;
    for (const Bytes& object : objects) {
        offsets.push_back(static_cast<std::uint8_t>(out.size()));
        out.insert(out.end(), object.begin(), object.end());
    }
    const auto table = static_cast<std::uint8_t>(out.size());
    out.insert(out.end(), offsets.begin(), offsets.end());
    const auto count = objectCount ? objectCount : static_cast<std::uint8_t>(objects.size());
    const Bytes trailer = {0, 0, 0, 0, 0, 0, 1, 1,   0, 0, 0, 0, 0, 0, 0, count,
                           0, 0, 0, 0, 0, 0, 0, top, 0, 0, 0, 0, 0, 0, 0, table};
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

TEST(Plist, BinaryReaderDecodesWhatApplesWriterProduces) {
    const Bytes high = {0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes negative = {0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE};
    const Bytes loneSurrogate = {0x62, 0xD8, 0x00, 0x00, 0x41};
    const Bytes latin1 = {0x51, 0xE9};
    Result<PlistValue> value = readPlist(bplist({{0xA6, 1, 2, 3, 4, 5, 6},
                                                 high,
                                                 negative,
                                                 loneSurrogate,
                                                 latin1,
                                                 {0xA3, 1, 1, 2},     // objects shared by reference
                                                 {0xD2, 7, 7, 8, 9},  // one key twice: the last value wins
                                                 {0x51, 'k'},
                                                 {0x10, 1},
                                                 {0x10, 2}}));
    ASSERT_TRUE(value) << value.error().description;
    EXPECT_EQ(*value,
              (PlistArray{uint64Max, -2,
                          "\xEF\xBF\xBD"
                          "A",
                          "\xC3\xA9", PlistArray{uint64Max, uint64Max, -2}, PlistDictionary{{"k", 2}}}));
}

struct BadCase {
    const char* name;
    Bytes bytes;
};

class PlistRejects : public ::testing::TestWithParam<BadCase> {};

TEST_P(PlistRejects, WithAnErrorAndNoCrash) {
    Result<PlistValue> value = readPlist(GetParam().bytes);
    ASSERT_FALSE(value);
    EXPECT_FALSE(value.error().description.empty());
}

Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

Bytes nestedArrays(std::size_t depth) {
    std::vector<Bytes> objects;
    for (std::size_t i = 0; i < depth; ++i) objects.push_back({0xA1, static_cast<std::uint8_t>(i + 1)});
    objects.push_back({0xA0});
    return bplist(objects);
}

// Thirty arrays of two references to the next, ending in 100 bytes of data: 2^30 copies from 31 objects. The
// expansion budget is what stops it.
Bytes referenceBomb() {
    std::vector<Bytes> objects;
    for (std::uint8_t i = 1; i <= 30; ++i) objects.push_back({0xA2, i, i});
    objects.push_back({0x4F, 0x10, 100});
    objects.back().resize(3 + 100, 0xAB);
    return bplist(objects);
}

std::string deepXml(std::size_t depth) {
    std::string xml = "<plist version=\"1.0\">";
    for (std::size_t i = 0; i < depth; ++i) xml += "<array>";
    for (std::size_t i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</plist>";
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, PlistRejects,
    ::testing::Values(
        BadCase{"NewerVersion", text("bplist15xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx")},
        BadCase{"TopObjectOutOfRange", bplist({{0x09}}, 1)},
        BadCase{"MoreObjectsThanOffsets", bplist({{0x09}}, 0, 9)},
        BadCase{"ReferenceOutOfRange", bplist({{0xA1, 7}})}, BadCase{"ArraySelfCycle", bplist({{0xA1, 0}})},
        BadCase{"DictionaryCycle", bplist({{0xD1, 1, 2}, {0x51, 'k'}, {0xA1, 0}})},
        BadCase{"NonStringKey", bplist({{0xD1, 1, 1}, {0x10, 1}})},
        BadCase{"CountPastEnd", bplist({{0x5F, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})},
        BadCase{"NegativeCount", bplist({{0xAF, 0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})},
        BadCase{"TruncatedInteger", bplist({{0x13, 1, 2}})},
        BadCase{"IntegerBeyond64Bits", bplist({{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}})},
        BadCase{"Uid", bplist({{0x80, 1}})}, BadCase{"Null", bplist({{0x00}})},
        BadCase{"DateNotFinite", bplist({{0x33, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0}})},
        BadCase{"TooDeep", nestedArrays(maxPlistDepth + 1)}, BadCase{"ReferenceBomb", referenceBomb()},
        BadCase{"XmlTruncated", text("<plist version=\"1.0\"><array><string>a</str")},
        BadCase{"XmlTooDeepForUs", text(deepXml(maxPlistDepth + 1))},
        BadCase{"XmlTooDeepForLibplist", text(deepXml(300'000))}),
    moorvane::testing::caseName);

TEST(Plist, EveryTruncationOfARealBlobIsRejected) {
    const Result<PlistValue> domain = readPlist(moorvane::testing::readFixture("dock-sequoia.xml"));
    ASSERT_TRUE(domain) << domain.error().description;
    const Bytes blob = *writeBinary(*domain->dictionary()->find("persistent-apps"));
    for (std::size_t length = 0; length < blob.size(); ++length) {
        EXPECT_FALSE(readPlist(Bytes(blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(length))))
            << "length " << length;
    }
}

}  // namespace
}  // namespace moorvane
