#include <gtest/gtest.h>

#include <string>

#include "sensors/SensorFilter.h"
#include "settings/SettingsExtension.h"

using namespace kontakta;

namespace {

using Event = SensorFilter::Event;

// Feeds a switch's raw states, one per 20 ms poll, from time 0, and writes
// down what the filter answered: "P" press, "R" release, "i" ignored touch,
// "." nothing.
std::string Feed(SensorFilter& filter, const std::string& switchStates, FilterTimes times, uint64_t start = 0)
{
    std::string answers;
    uint64_t now = start;
    for (char state : switchStates) {
        switch (filter.Update(state == '#', now, times)) {
        case Event::Press: answers += 'P'; break;
        case Event::Release: answers += 'R'; break;
        case Event::IgnoredTouch: answers += 'i'; break;
        case Event::None: answers += '.'; break;
        }
        now += 20;
    }
    return answers;
}

TEST(SensorFilter, WithoutTimesEveryEdgeCountsAtOnce)
{
    SensorFilter filter;
    EXPECT_EQ(Feed(filter, "_#_##__#_", {}), ".PRP.R.PR");
}

TEST(SensorFilter, HoldTimeSwallowsShortTouchesAndCountsALongPressWhenItIsReached)
{
    SensorFilter filter;
    // 100 ms: the fifth poll after the start of a press (at +100 ms) counts it.
    EXPECT_EQ(Feed(filter, "_##_", {100, 0}), "...i") << "40 ms is a touch: nothing, not even the sound";
    EXPECT_EQ(Feed(filter, "_######__", {100, 0}), "......PR.");
    EXPECT_FALSE(filter.Counted());
    // Hold times above 2000 ms count as 2000.
    SensorFilter longHold;
    std::string held(102, '#');
    const std::string answers = Feed(longHold, held, {60000, 0});
    EXPECT_EQ(answers.find('P'), 100u) << "pressed at 0 ms, counted at 2000 ms";
}

TEST(SensorFilter, LockoutIgnoresPressesAfterAReleaseEvenWhenTheyOutlastIt)
{
    SensorFilter filter;
    // Lockout 100 ms from the release at 20 ms: presses starting before 120 ms
    // do not count, also the one from 80 ms held right through the end of the
    // lockout; the press at 180 ms counts.
    EXPECT_EQ(Feed(filter, "#_#_####_#_", {0, 100}), "PRi.i....PR");
    SensorFilter again;
    EXPECT_EQ(Feed(again, "#_____#_", {0, 100}), "PR....PR") << "a press after the lockout counts";
}

TEST(SensorFilter, HoldAndLockoutTogether)
{
    SensorFilter filter;
    // Hold 40 ms, lockout 60 ms: the bounce right after the release is ignored,
    // a short touch later is swallowed by the hold time.
    EXPECT_EQ(Feed(filter, "###_#__#_###_", {40, 60}), "..PRi...i..PR");
}

TEST(SettingsExtension, RoundTripAndTheDefaultsWithoutOne)
{
    SettingsExtension written;
    written.filters[0] = {150, 0};
    written.filters[7] = {2000, 5000};
    const std::vector<uint8_t> bytes = EncodeSettingsExtension(written);
    ASSERT_EQ(bytes.size(), settingsExtensionHeaderSize + 32);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "KTXE");
    const auto read = DecodeSettingsExtension(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->filters[0].holdMilliseconds, 150u);
    EXPECT_EQ(read->filters[7].lockoutMilliseconds, 5000u);
    EXPECT_EQ(read->filters[3].holdMilliseconds, 0u);
    EXPECT_FALSE(DecodeSettingsExtension(nullptr, 0)) << "no tail: the defaults";
}

TEST(SettingsExtension, ShortUnknownOrDamagedIsIgnoredAndForeignBytesAreNeverOverwritten)
{
    SettingsExtension written;
    written.filters[2] = {300, 700};
    std::vector<uint8_t> bytes = EncodeSettingsExtension(written);
    EXPECT_FALSE(DecodeSettingsExtension(bytes.data(), bytes.size() - 1)) << "short";
    std::vector<uint8_t> damaged = bytes;
    damaged[20] ^= 1;
    EXPECT_FALSE(DecodeSettingsExtension(damaged.data(), damaged.size())) << "checksum";
    std::vector<uint8_t> later = bytes;
    later[4] = 2;
    EXPECT_FALSE(DecodeSettingsExtension(later.data(), later.size())) << "a later version";

    EXPECT_TRUE(MayWriteSettingsExtension(nullptr, 0)) << "an empty tail";
    EXPECT_TRUE(MayWriteSettingsExtension(bytes.data(), bytes.size())) << "our own";
    EXPECT_TRUE(MayWriteSettingsExtension(damaged.data(), damaged.size())) << "our own, damaged";
    EXPECT_FALSE(MayWriteSettingsExtension(later.data(), later.size())) << "a later version's";
    const uint8_t foreign[] = {'X', 'Y', 'Z', 0, 1, 2};
    EXPECT_FALSE(MayWriteSettingsExtension(foreign, sizeof foreign));
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u) << "the standard CRC-32";
}

}  // namespace
