#include "device/CommandReports.h"
#include "device/SensorTables.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvik::device;
using quorvik::model::MacroRecord;
using quorvik::model::MakeDelay;
using quorvik::model::MakeKeyEvent;
using quorvik::model::MakeMotion;

namespace {

std::vector<std::uint8_t> Head(const Report& r, std::size_t n = 11) {
    return {r.begin(), r.begin() + static_cast<std::ptrdiff_t>(n)};
}

bool TailIsZero(const Report& r, std::size_t from) {
    for (std::size_t i = from; i < r.size(); ++i)
        if (r[i] != 0)
            return false;
    return true;
}

constexpr std::uint8_t kVkA = 0x41;

MacroRecord KeyMacro(std::size_t events) {
    MacroRecord m;
    for (std::size_t i = 0; i < events; ++i)
        m.SetAction(i, MakeKeyEvent(kVkA, i % 2 == 1));
    m.MacroActionNum = static_cast<std::uint32_t>(events);
    m.MacroCommandActionNum = static_cast<std::uint8_t>(events);
    return m;
}

} // namespace

TEST(CommandReports, CompleteExampleReports) {
    struct Row {
        Report report;
        std::vector<std::uint8_t> head;
    } rows[] = {
        {BuildReportRateReport(0x05, 2), {0x0C, 0x01, 0x07, 0x00, 0x05, 0x01, 0x01, 0x02, 0x00, 0x00, 0x00}},
        {BuildButtonReport(0x06, static_cast<std::uint8_t>(DevicePositionOfButton(4)), {0x10, 0x08, 0x00}),
         {0x0C, 0x01, 0x04, 0x00, 0x06, 0x01, 0x04, 0x03, 0x10, 0x08, 0x00}},
        {BuildStatusRequest(0x07), {0x0C, 0x01, 0x20, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {BuildFactoryResetReport(0x08), {0x0C, 0x01, 0x0F, 0x00, 0x08, 0x01, 0x01, 0xFF, 0x00, 0x00, 0x00}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Head(row.report), row.head);
        EXPECT_TRUE(TailIsZero(row.report, 11));
    }
}

TEST(CommandReports, SequenceNumberStartsAtOneAndWraps) {
    SequenceNumber seq;
    EXPECT_EQ(seq.Take(), 1);
    for (int i = 0; i < 254; ++i)
        seq.Take();
    EXPECT_EQ(seq.Take(), 0); // the 256th report takes 0 ...
    EXPECT_EQ(seq.Take(), 1); // ... and the 257th starts over at 1
}

TEST(CommandReports, ButtonsThreeAndFourAreExchanged) {
    const int expected[] = {0, 1, 2, 4, 3, 5, 6};
    for (int b = 0; b < 7; ++b) {
        EXPECT_EQ(DevicePositionOfButton(b), expected[b]);
        EXPECT_EQ(ButtonOfDevicePosition(DevicePositionOfButton(b)), b);
    }
}

TEST(CommandReports, DpiLevelsNibblesAndRegisters) {
    const Report r = BuildDpiLevelsReport(1, 0x2D, 2, {0x0107, 2, 3, 4, 5, 0xFFFF});
    EXPECT_EQ(r[6], 0x12);
    EXPECT_EQ(r[7], 0x34); // level 3 active, four levels enabled
    EXPECT_EQ(r[8], 0x2D);
    EXPECT_EQ(r[9], 0x07);
    EXPECT_EQ(r[10], 0x01);
    EXPECT_EQ(r[19], 0xFF);
    EXPECT_EQ(r[20], 0xFF);
    EXPECT_TRUE(TailIsZero(r, 21));
}

TEST(CommandReports, ReportRateCodes) {
    const std::pair<std::uint8_t, std::uint8_t> rows[] = {{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 1}, {255, 1}};
    for (auto [code, interval] : rows)
        EXPECT_EQ(BuildReportRateReport(1, code)[7], interval) << int(code);
}

TEST(CommandReports, DpiColoursAreRedGreenBlue) {
    std::array<std::uint32_t, 8> colours{};
    colours[0] = 0x00332211; // red 0x11, green 0x22, blue 0x33
    colours[7] = 0x00FFEEDD;
    const Report r = BuildDpiColoursReport(1, colours);
    EXPECT_EQ(r[6], 0x18);
    EXPECT_EQ(Head(r, 10), (std::vector<std::uint8_t>{0x0C, 1, 6, 0, 1, 1, 0x18, 0x11, 0x22, 0x33}));
    EXPECT_EQ(r[28], 0xDD);
    EXPECT_EQ(r[29], 0xEE);
    EXPECT_EQ(r[30], 0xFF);
    EXPECT_TRUE(TailIsZero(r, 31));
}

TEST(CommandReports, LightingLengthsPerEffect) {
    LightingInput in;
    in.brightness = 2;
    in.speed = 15; // (15 + 1) & 0x0F = 0
    for (std::uint8_t e : {0, 4, 5, 8, 9}) {
        in.effect = e;
        const Report r = BuildLightingReport(1, in);
        EXPECT_EQ(r[6], 2);
        EXPECT_EQ(r[7], e);
        EXPECT_EQ(r[8], 0x30);
        EXPECT_TRUE(TailIsZero(r, 9));
    }
    in.effect = 1;
    in.direction = 1;
    EXPECT_EQ(Head(BuildLightingReport(1, in), 10), (std::vector<std::uint8_t>{0x0C, 1, 8, 0, 1, 1, 3, 1, 0x30, 1}));
}

TEST(CommandReports, LightingEffectTwoSkipsBlackAndUnselected) {
    LightingInput in;
    in.effect = 2;
    in.selected = {1, 1, 1, 0, 0, 0, 0};
    in.colours = {0x0000FF, 0x000000, 0xFF0000, 0x00FF00, 0, 0, 0}; // slot 1 selected but black, 3 not selected
    const Report r = BuildLightingReport(1, in);
    EXPECT_EQ(r[6], 9);
    EXPECT_EQ(r[9], 2);
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin() + 10, r.begin() + 16),
              (std::vector<std::uint8_t>{0xFF, 0, 0, 0, 0, 0xFF}));
    EXPECT_TRUE(TailIsZero(r, 16));
}

TEST(CommandReports, LightingFixedPlaceEffects) {
    LightingInput in;
    in.colours = {0x030201, 0x060504, 0x090807, 0, 0, 0, 0x151413};
    in.selected = {0, 1, 0, 0, 0, 0, 1};
    in.effect = 3; // colour 0 whatever its flag
    Report r = BuildLightingReport(1, in);
    EXPECT_EQ(r[6], 5);
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin() + 9, r.begin() + 12), (std::vector<std::uint8_t>{1, 2, 3}));
    in.effect = 6; // seven places, unselected ones zero
    r = BuildLightingReport(1, in);
    EXPECT_EQ(r[6], 23);
    EXPECT_EQ(r[9], 0);
    EXPECT_EQ(r[12], 4);
    EXPECT_EQ(r[27], 0x13);
    EXPECT_EQ(r[29], 0x15);
    in.effect = 7; // two places
    r = BuildLightingReport(1, in);
    EXPECT_EQ(r[6], 8);
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin() + 9, r.begin() + 15), (std::vector<std::uint8_t>{0, 0, 0, 4, 5, 6}));
    EXPECT_TRUE(TailIsZero(r, 15));
    in.effect = 12;
    r = BuildLightingReport(1, in);
    EXPECT_EQ(r[6], 0);
    EXPECT_EQ(r[7], 12);
}

TEST(CommandReports, SmallSettingCommands) {
    EXPECT_EQ(Head(BuildLiftOffReport(9, 1), 9), (std::vector<std::uint8_t>{0x0C, 1, 9, 0, 9, 1, 2, 1, 0}));
    EXPECT_EQ(BuildLiftOffReport(9, 0)[7], 2);
    EXPECT_EQ(BuildLiftOffReport(9, 257)[7], 2); // only exactly 1 means the low distance
    EXPECT_EQ(Head(BuildDebounceReport(2, 12), 8), (std::vector<std::uint8_t>{0x0C, 1, 0x0A, 0, 2, 1, 1, 12}));
    EXPECT_EQ(Head(BuildPowerSavingReport(3, 5, 1), 9), (std::vector<std::uint8_t>{0x0C, 1, 0x0B, 0, 3, 1, 2, 5, 1}));
    EXPECT_EQ(Head(BuildMotionWakeupReport(4, 1), 8), (std::vector<std::uint8_t>{0x0C, 1, 0x0C, 0, 4, 1, 1, 1}));
}

TEST(MacroPacking, EventEncoding) {
    // Key press with a 5000 ms delay after it: the delay is capped at 4095.
    MacroRecord m;
    m.SetAction(0, MakeKeyEvent(kVkA, false));
    m.SetAction(1, MakeDelay(5000));
    m.SetAction(2, MakeKeyEvent(kVkA, true));
    m.SetAction(3, MakeDelay(0x123));
    m.SetAction(4, MakeKeyEvent(0xA0, false)); // left shift: a modifier
    m.SetAction(5, MakeKeyEvent(0xE1, true));  // right mouse button release
    m.SetAction(6, MakeMotion(quorvik::model::kMoveX, -3));
    m.SetAction(7, MakeMotion(quorvik::model::kWheel, 1));
    m.MacroActionNum = 8;
    const std::vector<std::uint8_t> expected = {
        0x3F, 0xFF, 0x04, // press A, 4095 ms
        0xB1, 0x23, 0x04, // release A, 0x123 ms
        0x20, 0x00, 0x02, // left shift (usage 0xE1 → bit 1)
        0x90, 0x00, 0x02, // right button release
        0x40, 0x00, 0xFD, // pointer X -3
        0x60, 0x00, 0x01, // wheel +1
    };
    EXPECT_EQ(PackMacroEvents(m), expected);
}

TEST(MacroPacking, LeadingAndDoubleDelaysAreLost) {
    MacroRecord m;
    m.SetAction(0, MakeDelay(100));
    m.SetAction(1, MakeKeyEvent(kVkA, false));
    m.SetAction(2, MakeDelay(10));
    m.SetAction(3, MakeDelay(20));
    m.MacroActionNum = 4;
    EXPECT_EQ(PackMacroEvents(m), (std::vector<std::uint8_t>{0x30, 10, 0x04}));
}

TEST(MacroPacking, NeverReadsPastTheActionTable) {
    MacroRecord m = KeyMacro(quorvik::model::kMaxMacroActions);
    m.MacroActionNum = 100000; // as a damaged file may say
    EXPECT_EQ(PackMacroEvents(m).size(), 3 * quorvik::model::kMaxMacroActions);
}

TEST(MacroPacking, NineEventsMakeTwoChunks) {
    SequenceNumber seq;
    const auto data = MacroChunkData(KeyMacro(9));
    ASSERT_EQ(data.size(), 27u);
    const auto chunks = BuildMacroChunks(seq, 3, data);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(Head(chunks[0], 9), (std::vector<std::uint8_t>{0x0C, 1, 0x0E, 0, 1, 0x02, 0x1A, 3, data[0]}));
    EXPECT_EQ(Head(chunks[1], 11),
              (std::vector<std::uint8_t>{0x0C, 1, 0x0E, 0, 2, 0x12, 0x03, 3, data[25], data[26], 0}));
    EXPECT_TRUE(TailIsZero(chunks[1], 10));
}

TEST(MacroPacking, EmptyMacroStillWritesOneChunk) {
    SequenceNumber seq;
    const auto chunks = BuildMacroChunks(seq, 1, MacroChunkData(MacroRecord{}));
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0][5], 0x01);
    EXPECT_EQ(chunks[0][6], 0x01);
    EXPECT_TRUE(TailIsZero(chunks[0], 8));
}

TEST(MacroPacking, ChunkNibblesWrapBeyondFifteen) {
    SequenceNumber seq;
    const auto data = MacroChunkData(KeyMacro(168)); // 504 bytes
    const auto chunks = BuildMacroChunks(seq, 2, data);
    ASSERT_EQ(chunks.size(), 21u);
    EXPECT_EQ(chunks[0][5], 0x05);
    EXPECT_EQ(chunks[15][5], 0xF5);
    EXPECT_EQ(chunks[16][5], 0x05);
    EXPECT_EQ(chunks[20][5], 0x45);
    EXPECT_EQ(chunks[20][6], 5); // 4 bytes left + 1
    EXPECT_EQ(chunks[20][4], 21);
}

TEST(MacroPacking, DataFollowsTheAnnouncedEventCount) {
    MacroRecord m = KeyMacro(4);
    m.MacroCommandActionNum = 2; // fewer than packed: cut
    EXPECT_EQ(MacroChunkData(m).size(), 6u);
    m.MacroCommandActionNum = 6; // more than packed: zero-padded
    const auto data = MacroChunkData(m);
    ASSERT_EQ(data.size(), 18u);
    EXPECT_EQ(data[12], 0);
    EXPECT_EQ(data[17], 0);
}

TEST(StatusResponse, ParsesAndRejects) {
    Report r;
    r.fill(0xFF);
    r[0] = 0x0C;
    r[2] = 0x20;
    r[3] = 0x00;
    r[6] = 0x0F;
    r[8] = 'R', r[9] = '7', r[10] = 'K', r[11] = '3';
    r[15] = 0x60;
    r[18] = 37;
    r[19] = 2;
    r[21] = 1;
    auto s = ParseStatusResponse(r);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->answered);
    EXPECT_TRUE(s->tagMatches);
    EXPECT_TRUE(s->online);
    EXPECT_EQ(s->sensorId, 0x3360);
    EXPECT_EQ(s->battery, 37);
    EXPECT_EQ(s->chargeState, kChargeFull);

    r[11] = '4'; // another model: the online byte is not read
    r[19] = 7;
    r[15] = 0x13;
    s = ParseStatusResponse(r);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->tagMatches);
    EXPECT_FALSE(s->online);
    EXPECT_FALSE(s->sensorId);
    EXPECT_EQ(s->chargeState, kChargeNone);

    r[3] = 0x01;
    EXPECT_FALSE(ParseStatusResponse(r));
    r[3] = 0x00;
    r[2] = 0x07;
    EXPECT_FALSE(ParseStatusResponse(r));
}

TEST(LevelChange, OnlyReportFiveKindSix) {
    const std::vector<std::uint8_t> good = {0x05, 0x06, 0xFF, 0x02, 0x03};
    const auto change = ParseLevelChange(good);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->interval, 2);
    EXPECT_EQ(change->level, 3);
    EXPECT_FALSE(ParseLevelChange(std::vector<std::uint8_t>{0x05, 0x07, 0, 2, 3}));
    EXPECT_FALSE(ParseLevelChange(std::vector<std::uint8_t>{0x06, 0x06, 0, 2, 3}));
    EXPECT_FALSE(ParseLevelChange(std::vector<std::uint8_t>{0x05, 0x06, 0, 2}));
}

TEST(SensorTables, StepCountsValuesAndRegisters) {
    struct Row {
        std::uint16_t sensor;
        std::uint16_t steps;
        std::uint8_t classFlag;
        std::uint16_t lastValue;
        std::uint16_t firstRegister;
    } rows[] = {
        {0x3104, 48, 0, 160, 0},  {0x3325, 59, 0, 200, 1},  {0x3327, 74, 0, 248, 1},  {0x3212, 42, 0, 96, 1},
        {0x3335, 160, 1, 320, 0}, {0x3360, 121, 1, 480, 0}, {0x3370, 290, 1, 380, 0}, {0x3389, 160, 1, 320, 0},
        {0x3395, 520, 1, 520, 0}, {0x3399, 400, 1, 400, 0},
    };
    for (const auto& row : rows) {
        SensorTables t;
        ASSERT_TRUE(t.Rebuild(row.sensor));
        EXPECT_EQ(t.StepCount(), row.steps) << std::hex << row.sensor;
        EXPECT_EQ(t.ClassFlag(), row.classFlag);
        EXPECT_EQ(t.StepValue(row.steps - 1u), row.lastValue) << std::hex << row.sensor;
        EXPECT_EQ(t.RegisterValue(0), row.firstRegister);
        for (std::uint32_t c = 1; c < row.steps; ++c)
            ASSERT_LT(t.StepValue(c - 1), t.StepValue(c)) << std::hex << row.sensor << " step " << c;
    }
    SensorTables t;
    t.Rebuild(0x3104);
    EXPECT_EQ(t.Dpi(40), 4500);
    EXPECT_EQ(t.RegisterValue(40), 40);
    t.Rebuild(0x3325);
    EXPECT_EQ(t.Dpi(0), 200);
    EXPECT_EQ(t.RegisterValue(6), 7);
    EXPECT_EQ(t.StepValue(49), 110);
    EXPECT_EQ(t.StepValue(51), 128);
    t.Rebuild(0x3360);
    EXPECT_EQ(t.RegisterValue(3), 3);
}

TEST(SensorTables, UnknownSensorKeepsTablesAndCodesAreClamped) {
    SensorTables t;
    EXPECT_EQ(t.RegisterValue(5), 0); // nothing built yet
    ASSERT_TRUE(t.Rebuild(0x3360));
    EXPECT_FALSE(t.Rebuild(0x1234));
    EXPECT_EQ(t.Sensor(), 0x3360) << "the previous tables stay";

    SensorTables first;
    EXPECT_FALSE(first.Rebuild(0xF123));
    EXPECT_EQ(first.Sensor(), 0x3325) << "with no tables yet, the default sensor's encode the codes";
    ASSERT_TRUE(t.Rebuild(0x3325));
    EXPECT_EQ(t.StepCount(), 59);
    // A code from a file beyond the step count reads the last step, never past the table.
    EXPECT_EQ(t.RegisterValue(59), 59);
    EXPECT_EQ(t.RegisterValue(60000), 59);
    EXPECT_EQ(t.Dpi(1000), 200 * 50);
}
