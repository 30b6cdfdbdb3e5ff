#include "platform/HidDescriptor.h"
#include "emulator/Descriptors.h"

#include <gtest/gtest.h>

using namespace quorvik::emulator;
using quorvik::platform::ParseReportDescriptor;

TEST(HidDescriptor, LengthsOfRealWorldDescriptors) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> descriptor;
        std::uint16_t input, output, feature;
        bool ids;
    } rows[] = {
        {"boot mouse", BootMouseDescriptor(), 5, 0, 0, false},
        {"keyboard with report ids", KeyboardWithIdsDescriptor(), 9, 2, 0, true},
        {"vendor 0x05/0x0C", VendorInputDescriptor(), 33, 0, 33, true},
        {"vendor with push/pop and a long item", VendorFeatureDescriptor(), 9, 0, 33, true},
        {"vendor 64-byte", VendorWideDescriptor(), 65, 0, 65, true},
        // Feature report without report ids: still one byte more than its data.
        {"feature without ids",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x06, 0xB1, 0x02, 0xC0},
         0,
         0,
         7,
         false},
        // Reports of one id add up across main items; the longest id wins.
        {"two ids",
         {0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x81, 0x02, 0x85, 0x02, 0x95, 0x05, 0x81, 0x02},
         9,
         0,
         0,
         true},
        {"empty", {}, 0, 0, 0, false},
    };
    for (const auto& row : rows) {
        const auto info = ParseReportDescriptor(row.descriptor);
        EXPECT_EQ(info.error, "") << row.name;
        EXPECT_EQ(info.caps.inputReportByteLength, row.input) << row.name;
        EXPECT_EQ(info.caps.outputReportByteLength, row.output) << row.name;
        EXPECT_EQ(info.caps.featureReportByteLength, row.feature) << row.name;
        EXPECT_EQ(info.usesReportIds, row.ids) << row.name;
    }
}

TEST(HidDescriptor, BrokenDescriptorsStopSafely) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> descriptor;
        std::uint16_t input; // what was counted before the fault
    } rows[] = {
        {"truncated item", {0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x96, 0x01}, 3},
        {"long item past the end", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xFE, 0x10, 0x00, 0x01}, 2},
        {"long item header cut", {0xFE, 0x01}, 0},
        {"pop without push", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xB4, 0x81, 0x02}, 2},
        {"report id 0", {0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0},
    };
    for (const auto& row : rows) {
        const auto info = ParseReportDescriptor(row.descriptor);
        EXPECT_NE(info.error, "") << row.name;
        EXPECT_EQ(info.caps.inputReportByteLength, row.input) << row.name;
    }
    // Endless pushes are refused instead of growing without bound.
    std::vector<std::uint8_t> pushes(1000, 0xA4);
    EXPECT_NE(ParseReportDescriptor(pushes).error, "");
}

TEST(HidDescriptor, HugeCountsSaturate) {
    // Report size and count of 0xFFFFFFFF: the length stays within 16 bits.
    const std::vector<std::uint8_t> d = {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02};
    EXPECT_EQ(ParseReportDescriptor(d).caps.inputReportByteLength, 0xFFFF);
}

TEST(HidDescriptor, LengthsPerTopLevelCollection) {
    using quorvik::platform::HidCaps;
    auto caps = [](std::uint16_t in, std::uint16_t out, std::uint16_t feature) { return HidCaps{in, out, feature}; };
    auto equal = [](const std::vector<HidCaps>& a, const std::vector<HidCaps>& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].inputReportByteLength != b[i].inputReportByteLength ||
                a[i].outputReportByteLength != b[i].outputReportByteLength ||
                a[i].featureReportByteLength != b[i].featureReportByteLength)
                return false;
        return true;
    };
    struct Row {
        const char* name;
        std::vector<std::uint8_t> descriptor;
        std::vector<HidCaps> collections;
    } rows[] = {
        {"vendor input and feature collections in one interface",
         VendorCombinedDescriptor(),
         {caps(33, 0, 0), caps(9, 0, 33)}},
        {"one collection with 33-byte input and feature reports", VendorInputDescriptor(), {caps(33, 0, 33)}},
        {"keyboard and consumer control", KeyboardWithIdsDescriptor(), {caps(9, 2, 0), caps(3, 0, 0)}},
        {"nested collections belong to the top-level one", BootMouseDescriptor(), {caps(5, 0, 0)}},
        {"items outside every collection are one more",
         {0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xA1, 0x01, 0x95, 0x20, 0xB1, 0x02, 0xC0, 0x95, 0x02, 0x81, 0x02},
         {caps(7, 0, 0), caps(0, 0, 33)}},
        // A stray end collection is ignored; an unclosed collection ends with the descriptor.
        {"stray end and unclosed collection",
         {0xC0, 0x75, 0x08, 0xA1, 0x01, 0x95, 0x02, 0x81, 0x02, 0xC0, 0xC0, 0xA1, 0x01, 0x95, 0x03, 0x81, 0x02},
         {caps(3, 0, 0), caps(4, 0, 0)}},
        {"empty", {}, {}},
    };
    for (const auto& row : rows) {
        const auto info = ParseReportDescriptor(row.descriptor);
        EXPECT_EQ(info.error, "") << row.name;
        EXPECT_TRUE(equal(info.collections, row.collections)) << row.name;
    }
    // The interface as a whole still reads and writes the longest report of any collection.
    const auto combined = ParseReportDescriptor(VendorCombinedDescriptor());
    EXPECT_EQ(combined.caps.inputReportByteLength, 33);
    EXPECT_EQ(combined.caps.featureReportByteLength, 33);
}
