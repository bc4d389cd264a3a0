#include "platform/hid_descriptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "test_descriptors.h"

namespace vandrel::platform {
namespace {

using test::Bytes;
using test::Join;

// Application collection of usage page 0x0C usage 1 (given as one extended
// usage) holding a long item, a push/pop pair and two 8-bit values: AC Pan as
// an extended usage, then X on the usage page restored by the pop.
const Bytes kExtendedAndStack{
    0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0xFE, 0x02, 0x10, 0xAA, 0xBB,  // long item
    0x75, 0x08, 0x95, 0x01, 0xA4, 0x05, 0x09, 0x75, 0x10, 0x95, 0x04, 0xB4,  // push, change page/size/count, pop
    0x15, 0x81, 0x25, 0x7F, 0x0B, 0x38, 0x02, 0x0C, 0x00, 0x81, 0x06,        // AC Pan (Consumer 0x238)
    0x09, 0x30, 0x81, 0x06,                                                  // X (Generic Desktop)
    0xC0,
};

// Six 16-bit axes given as one usage range X..Rz.
const Bytes kAxes{
    0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x19, 0x30, 0x29, 0x35, 0x16, 0x00,
    0x80, 0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x06, 0x81, 0x02, 0xC0,
};

// One collection with two reports: id 1 carries eight buttons, id 2 an X value.
const Bytes kTwoReports{
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x08,
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x85, 0x02, 0x05, 0x01,
    0x09, 0x30, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0xC0,
};

HidTopCollection ParseSingle(const Bytes& descriptor) {
    const auto parsed = ParseReportDescriptor(descriptor);
    if (!parsed || parsed->size() != 1) throw std::runtime_error("expected one top-level collection");
    return parsed->front();
}

// ---------------------------------------------------------------------------
// Top-level collections

struct ExpectedCollection {
    std::uint16_t usagePage, usage;
    std::vector<std::uint8_t> reportIds;
    std::uint16_t input, output, feature;
};

struct ParseCase {
    const char* name;
    Bytes descriptor;
    std::vector<ExpectedCollection> collections;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, GivesEachTopLevelCollectionWithItsIdsAndReportLengths) {
    const auto parsed = ParseReportDescriptor(GetParam().descriptor);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->size(), GetParam().collections.size());
    for (std::size_t i = 0; i < parsed->size(); ++i) {
        SCOPED_TRACE("collection " + std::to_string(i));
        const HidTopCollection& got = (*parsed)[i];
        const ExpectedCollection& want = GetParam().collections[i];
        EXPECT_EQ(got.usagePage, want.usagePage);
        EXPECT_EQ(got.usage, want.usage);
        EXPECT_EQ(got.reportIds, want.reportIds);
        EXPECT_EQ(got.inputReportLength, want.input);
        EXPECT_EQ(got.outputReportLength, want.output);
        EXPECT_EQ(got.featureReportLength, want.feature);
    }
}

INSTANTIATE_TEST_SUITE_P(Descriptors, ParseTest,
                         testing::Values(
                             // Without report ids a length still counts the (zero) id byte.
                             ParseCase{"BootMouse", test::kMouse, {{0x01, 0x02, {}, 5, 0, 0}}},
                             ParseCase{"BootKeyboard", test::kKeyboard, {{0x01, 0x06, {}, 9, 2, 0}}},
                             ParseCase{"ConsumerControl", test::kConsumer, {{0x0C, 0x01, {3}, 3, 0, 0}}},
                             ParseCase{"VendorFrames", test::kVendor, {{0xFF1C, 0x92, {4}, 64, 64, 0}}},
                             ParseCase{"KeyboardInterface",
                                       test::kKeyboardInterface,
                                       {{0x01, 0x80, {1}, 2, 0, 0},
                                        {0x01, 0x02, {2}, 6, 0, 0},
                                        {0x0C, 0x01, {3}, 3, 0, 0},
                                        {0xFF1C, 0x92, {4}, 64, 64, 0}}},
                             ParseCase{"ExtendedUsagesLongItemPushPop", kExtendedAndStack, {{0x0C, 0x01, {}, 3, 0, 0}}},
                             ParseCase{"TwoReportsInOneCollection", kTwoReports, {{0x01, 0x02, {1, 2}, 2, 0, 0}}},
                             // Items outside any application collection belong to no collection.
                             ParseCase{"OnlyPhysicalCollection",
                                       Bytes{0x09, 0x01, 0xA1, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
                                       {}},
                             ParseCase{"Empty", Bytes{}, {}}),
                         [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct MalformedCase {
    const char* name;
    Bytes descriptor;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class MalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedTest, GivesNothing) { EXPECT_FALSE(ParseReportDescriptor(GetParam().descriptor).has_value()); }

Bytes Repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

INSTANTIATE_TEST_SUITE_P(
    Descriptors, MalformedTest,
    testing::Values(MalformedCase{"ItemDataPastTheEnd", Bytes{0x05}},
                    MalformedCase{"TwoByteItemCutShort", Bytes{0xA1, 0x01, 0x26, 0xFF}},
                    MalformedCase{"TruncatedVendorDescriptor", Bytes(test::kVendor.begin(), test::kVendor.end() - 2)},
                    MalformedCase{"LongItemPastTheEnd", Bytes{0xFE, 0x10, 0x00, 0x01}},
                    MalformedCase{"EndCollectionWithoutCollection", Join({test::kMouse, Bytes{0xC0}})},
                    MalformedCase{"CollectionNeverClosed", Bytes{0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}},
                    MalformedCase{"HugeReportCount", Bytes{0xA1, 0x01, 0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
                    MalformedCase{"FourByteReportCount",
                                  Bytes{0xA1, 0x01, 0x75, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02, 0xC0}},
                    // 255 x 512 bits fit in one report; a second such item does not.
                    MalformedCase{"ReportsAddingUpPastTheLimit",
                                  Bytes{0xA1, 0x01, 0x75, 0xFF, 0x96, 0x00, 0x02, 0x81, 0x02, 0x81, 0x02, 0xC0}},
                    MalformedCase{"ReportSizeTooLarge",
                                  Bytes{0xA1, 0x01, 0x76, 0x01, 0x02, 0x95, 0x01, 0x81, 0x02, 0xC0}},
                    MalformedCase{"ReportIdZero", Bytes{0x85, 0x00}},
                    MalformedCase{"ReportIdAboveByte", Bytes{0x86, 0x00, 0x01}},
                    MalformedCase{"PopWithoutPush", Bytes{0xB4}}, MalformedCase{"PushStackTooDeep", Repeated(0xA4, 17)},
                    MalformedCase{"CollectionsNestedTooDeep", Join({Repeated(0xA1, 65), Repeated(0xC0, 65)})}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

// Exactly at the limits is still a descriptor.
TEST(ParseLimits, AcceptsTheDeepestNestingAndPushStack) {
    Bytes nested{0xA1, 0x01};
    for (int i = 1; i < 64; ++i) nested.insert(nested.end(), {0xA1, 0x00});
    nested.insert(nested.end(), 64, 0xC0);
    EXPECT_TRUE(ParseReportDescriptor(nested).has_value());
    EXPECT_TRUE(ParseReportDescriptor(Join({Repeated(0xA4, 16), Repeated(0xB4, 16)})).has_value());
}

// ---------------------------------------------------------------------------
// Data entries

TEST(DataEntries, MouseGivesButtonsFirstThenOneValuePerUsage) {
    const auto entries = BuildDataEntries(ParseSingle(test::kMouse), HidReportType::Input);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_TRUE(entries[0].isButton);
    EXPECT_EQ(entries[0].usagePage, 0x09);
    EXPECT_EQ(entries[0].usageMin, 1);
    EXPECT_EQ(entries[0].usageMax, 3);
    EXPECT_EQ(entries[0].usageList.size(), 3u);
    const std::uint16_t axes[] = {0x30, 0x31, 0x38};
    for (std::size_t i = 1; i < entries.size(); ++i) {
        EXPECT_FALSE(entries[i].isButton);
        EXPECT_EQ(entries[i].usagePage, 0x01);
        EXPECT_EQ(entries[i].usage, axes[i - 1]);
    }
    EXPECT_TRUE(BuildDataEntries(ParseSingle(test::kMouse), HidReportType::Output).empty());
}

TEST(DataEntries, KeyboardArrayAndBitsAreButtonsSizedByWhatTheyCanReport) {
    const HidTopCollection keyboard = ParseSingle(test::kKeyboard);
    const auto input = BuildDataEntries(keyboard, HidReportType::Input);
    ASSERT_EQ(input.size(), 2u);
    EXPECT_EQ(input[0].usageList.size(), 8u);  // modifier bits
    EXPECT_EQ(input[0].usageMin, 0xE0);
    EXPECT_EQ(input[1].usageList.size(), 6u);  // six-key array
    EXPECT_EQ(input[1].usageMax, 0x65);
    const auto output = BuildDataEntries(keyboard, HidReportType::Output);
    ASSERT_EQ(output.size(), 1u);
    EXPECT_EQ(output[0].usagePage, 0x08);
    EXPECT_EQ(output[0].usageList.size(), 5u);
}

TEST(DataEntries, ValueUsageRangeGivesOneEntryPerUsage) {
    const auto entries = BuildDataEntries(ParseSingle(kAxes), HidReportType::Input);
    ASSERT_EQ(entries.size(), 6u);
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].usage, 0x30 + i);
}

TEST(DataEntries, ExtendedUsagesCarryTheirOwnPage) {
    const auto entries = BuildDataEntries(ParseSingle(kExtendedAndStack), HidReportType::Input);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].usagePage, 0x0C);
    EXPECT_EQ(entries[0].usage, 0x238);
    EXPECT_EQ(entries[1].usagePage, 0x01);
    EXPECT_EQ(entries[1].usage, 0x30);
}

TEST(DataEntries, VendorReportsGiveOneValueEachWay) {
    const HidTopCollection vendor = ParseSingle(test::kVendor);
    for (const HidReportType type : {HidReportType::Input, HidReportType::Output}) {
        const auto entries = BuildDataEntries(vendor, type);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_FALSE(entries[0].isButton);
        EXPECT_EQ(entries[0].reportId, 4);
        EXPECT_EQ(entries[0].usagePage, 0xFF1C);
    }
}

// ---------------------------------------------------------------------------
// UnpackReport

class UnpackTest : public testing::Test {
protected:
    std::vector<HidDataEntry> Unpack(const HidTopCollection& collection, const Bytes& report, bool expectOk = true) {
        auto entries = BuildDataEntries(collection, HidReportType::Input);
        EXPECT_EQ(UnpackReport(report, HidReportType::Input, entries, collection), expectOk);
        return entries;
    }
    const HidTopCollection mouse_ = ParseSingle(test::kMouse);
};

TEST_F(UnpackTest, MouseReportGivesPressedButtonsAndSignedAxes) {
    struct Case {
        Bytes report;
        std::vector<std::uint16_t> buttons;
        std::uint32_t rawX;
        std::int32_t x, y;
    };
    const Case cases[] = {
        {{0x00, 0x05, 0xFB, 0x0A, 0x00}, {1, 3, 0}, 0xFB, -5, 10},  // 0 after the last when there is room
        {{0x00, 0x07, 0x81, 0x7F, 0x00}, {1, 2, 3}, 0x81, -127, 127},
        {{0x00, 0xF8, 0x00, 0x00, 0x00}, {0, 0, 0}, 0x00, 0, 0},  // padding bits are no buttons
    };
    for (const Case& c : cases) {
        const auto entries = Unpack(mouse_, c.report);
        EXPECT_EQ(entries[0].usageList, c.buttons);
        EXPECT_EQ(entries[1].rawValue, c.rawX);
        EXPECT_EQ(entries[1].scaledValue, c.x);
        EXPECT_EQ(entries[2].scaledValue, c.y);
        for (const HidDataEntry& entry : entries) {
            EXPECT_TRUE(entry.isSet);
            EXPECT_TRUE(entry.lastDecodeOk);
        }
    }
}

TEST_F(UnpackTest, KeyboardArrayListsTheKeysHeld) {
    const auto entries = Unpack(ParseSingle(test::kKeyboard), {0x00, 0x22, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(entries[0].usageList, (std::vector<std::uint16_t>{0xE1, 0xE5, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(entries[1].usageList, (std::vector<std::uint16_t>{0x04, 0x05, 0, 0, 0, 0}));
}

TEST_F(UnpackTest, ConsumerNotificationGivesItsUsage) {
    const HidTopCollection consumer = ParseSingle(test::kConsumer);
    EXPECT_EQ(Unpack(consumer, {0x03, 0x01, 0x04})[0].usageList, std::vector<std::uint16_t>{0x401});
    EXPECT_EQ(Unpack(consumer, {0x03, 0x00, 0x00})[0].usageList, std::vector<std::uint16_t>{0});
}

TEST_F(UnpackTest, FillsOnlyEntriesOfTheReportsId) {
    const HidTopCollection collection = ParseSingle(kTwoReports);
    auto entries = BuildDataEntries(collection, HidReportType::Input);
    ASSERT_EQ(entries.size(), 2u);

    ASSERT_TRUE(UnpackReport(Bytes{0x01, 0x81}, HidReportType::Input, entries, collection));
    EXPECT_TRUE(entries[0].isSet);
    EXPECT_EQ(entries[0].usageList, (std::vector<std::uint16_t>{1, 8, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(entries[1].isSet);

    ASSERT_TRUE(UnpackReport(Bytes{0x02, 0xFF}, HidReportType::Input, entries, collection));
    EXPECT_EQ(entries[1].scaledValue, -1);
    EXPECT_EQ(entries[0].usageList, (std::vector<std::uint16_t>{1, 8, 0, 0, 0, 0, 0, 0}));

    const HidDataEntry before = entries[0];
    ASSERT_TRUE(UnpackReport(Bytes{0x07, 0xFF}, HidReportType::Input, entries, collection));
    EXPECT_EQ(entries[0].usageList, before.usageList);
}

TEST_F(UnpackTest, ValuePastTheEndFailsTheDecodeAtOnce) {
    const auto entries = Unpack(mouse_, {0x00, 0x01, 0xFB}, false);
    EXPECT_TRUE(entries[0].isSet);  // buttons come first and fit
    EXPECT_TRUE(entries[1].isSet);  // X fits
    EXPECT_EQ(entries[1].scaledValue, -5);
    EXPECT_FALSE(entries[2].isSet);  // Y does not: the decode stops
    EXPECT_FALSE(entries[3].isSet);
}

TEST_F(UnpackTest, ButtonsPastTheEndAreRecordedAsFailedWithAnEmptyList) {
    const HidTopCollection consumer = ParseSingle(test::kConsumer);
    auto entries = BuildDataEntries(consumer, HidReportType::Input);
    entries[0].usageList = {0x123};
    EXPECT_TRUE(UnpackReport(Bytes{0x03, 0x01}, HidReportType::Input, entries, consumer));
    EXPECT_TRUE(entries[0].isSet);
    EXPECT_FALSE(entries[0].lastDecodeOk);
    EXPECT_EQ(entries[0].usageList, std::vector<std::uint16_t>{0});
}

TEST_F(UnpackTest, EntriesOfAnotherCollectionOrTypeAreNotDecoded) {
    const Bytes report{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    auto entries = BuildDataEntries(mouse_, HidReportType::Input);
    // The mouse's X names a field that is the keyboard's LED output.
    EXPECT_FALSE(UnpackReport(report, HidReportType::Input, entries, ParseSingle(test::kKeyboard)));
    EXPECT_FALSE(UnpackReport(report, HidReportType::Output, entries, mouse_));
    EXPECT_FALSE(UnpackReport(Bytes{}, HidReportType::Input, entries, mouse_));
}

// ---------------------------------------------------------------------------
// Scaling: one value field with the given range items.

struct ScaleCase {
    const char* name;
    Bytes rangeItems;
    std::uint8_t reportSize;
    Bytes data;
    std::uint32_t raw;
    std::int32_t scaled;
    bool ok;
};

void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }

class ScaleTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleTest, MapsTheLogicalValueOntoThePhysicalRange) {
    const ScaleCase& c = GetParam();
    const Bytes descriptor = Join({Bytes{0x05, 0x01, 0x09, 0x30, 0xA1, 0x01, 0x09, 0x30}, c.rangeItems,
                                   Bytes{0x75, c.reportSize, 0x95, 0x01, 0x81, 0x02, 0xC0}});
    const HidTopCollection collection = ParseSingle(descriptor);
    auto entries = BuildDataEntries(collection, HidReportType::Input);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(UnpackReport(Join({Bytes{0x00}, c.data}), HidReportType::Input, entries, collection));
    EXPECT_EQ(entries[0].rawValue, c.raw);
    EXPECT_EQ(entries[0].scaledValue, c.scaled);
    EXPECT_EQ(entries[0].lastDecodeOk, c.ok);
    EXPECT_TRUE(entries[0].isSet);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScaleTest,
    testing::Values(
        ScaleCase{"SignedByte", {0x15, 0x81, 0x25, 0x7F}, 8, {0xFB}, 0xFB, -5, true},
        ScaleCase{"MaxAsSingleByteIsUnsigned", {0x15, 0x00, 0x25, 0xFF}, 8, {0xFF}, 0xFF, 255, true},
        ScaleCase{"MaxAsTwoBytes", {0x15, 0x00, 0x26, 0xFF, 0x00}, 8, {0x80}, 0x80, 128, true},
        ScaleCase{"Signed12Bit", {0x16, 0x00, 0xF8, 0x26, 0xFF, 0x07}, 12, {0x00, 0x08}, 0x800, -2048, true},
        ScaleCase{"PhysicalRange", {0x15, 0x00, 0x25, 0x64, 0x35, 0x00, 0x46, 0xE8, 0x03}, 8, {0x32}, 50, 500, true},
        ScaleCase{"ReversedPhysicalRange", {0x15, 0x00, 0x25, 0x64, 0x35, 0x64, 0x45, 0x00}, 8, {0x19}, 25, 75, true},
        ScaleCase{"OutsideLogicalRange", {0x15, 0x00, 0x25, 0x64}, 8, {0x65}, 101, 0, false},
        ScaleCase{"EmptyLogicalRange", {0x15, 0x00, 0x25, 0x00}, 8, {0x00}, 0, 0, false},
        ScaleCase{"Full32BitRange",
                  {0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F},
                  32,
                  {0x00, 0x00, 0x00, 0x80},
                  0x80000000u,
                  INT_MIN,
                  true},
        ScaleCase{"Full32BitPhysicalRange",
                  {0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F,
                   0x37, 0x00, 0x00, 0x00, 0x80, 0x47, 0xFF, 0xFF, 0xFF, 0x7F},
                  32,
                  {0xFF, 0xFF, 0xFF, 0x7F},
                  0x7FFFFFFFu,
                  INT_MAX,
                  true}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vandrel::platform
