#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Fakes.h"
#include "sensors/ExtendedKeys.h"
#include "sensors/InputGuard.h"

using namespace kontakta;

namespace {

// The processes under the cursor and in front, which of them run above us,
// and the time, as the test sets them. Counts the integrity checks.
class FakeTargets : public InputTargets {
public:
    uint32_t ProcessUnderCursor() override { return underCursor; }
    uint32_t ForegroundProcess() override { return foreground; }
    bool RunsAboveUs(uint32_t process) override
    {
        ++checks[process];
        return elevated.count(process) != 0;
    }
    uint64_t NowMilliseconds() override { return now; }

    uint32_t underCursor = 0;
    uint32_t foreground = 0;
    std::set<uint32_t> elevated;
    std::map<uint32_t, int> checks;
    uint64_t now = 100000;
};

const std::string told = "show Kontakta kann dieses Fenster nicht bedienen, weil es mit Administratorrechten l?uft.";
const std::string refused =
    "show Windows hat eine Eingabe von Kontakta abgewiesen: Solange der Sperrbildschirm oder eine "
    "Sicherheitsabfrage angezeigt wird, kann Kontakta nichts bedienen.";

class InputGuardTest : public ::testing::Test {
protected:
    Events Keys(std::initializer_list<bool> downs, bool inserted = true)
    {
        log.Clear();
        for (bool down : downs) guard.KeyEventSent(down, inserted);
        return log.Events();
    }
    Events Mouse(std::initializer_list<uint32_t> flags, bool inserted = true)
    {
        log.Clear();
        for (uint32_t flag : flags) guard.MouseEventSent(flag, inserted);
        return log.Events();
    }

    EventLog log;
    FakeTargets targets;
    RecordingSounds sounds{log};
    RecordingShell messages{log};
    InputGuard guard{targets, sounds, messages};
};

TEST_F(InputGuardTest, KeysIntoAnElevatedWindowBeepOncePerActionAndAreToldOncePerProcess)
{
    targets.elevated = {7, 8};
    targets.foreground = 7;
    // ALT+TAB: two presses, one beep; the releases are not looked at.
    EXPECT_EQ(Keys({true, true, false, false}), (Events{told, "error beep"}));
    targets.now += 500;
    EXPECT_EQ(Keys({true}), Events{}) << "a repetition within the second shares the beep";
    targets.now += 1000;
    EXPECT_EQ(Keys({true, false}), Events{"error beep"}) << "the same window again: the beep only";

    targets.now += 1000;
    targets.foreground = 8;
    EXPECT_EQ(Keys({true}), (Events{told, "error beep"})) << "another elevated program is named again";
    targets.foreground = 5;
    EXPECT_EQ(Keys({true, false}), Events{}) << "an ordinary window is operated without a word";
    targets.foreground = 0;
    EXPECT_EQ(Keys({true}), Events{}) << "no foreground window: nothing to judge";
    EXPECT_EQ(targets.checks.count(0), 0u);
}

TEST_F(InputGuardTest, MousePressesAreJudgedByTheWindowUnderTheCursorAndRefusalsAreToldToo)
{
    targets.elevated = {7};
    targets.foreground = 5;  // keys would go elsewhere: the cursor decides
    targets.underCursor = 7;
    EXPECT_EQ(Mouse({MouseFlags::LeftDown, MouseFlags::LeftUp}), (Events{told, "error beep"}));
    targets.now += 2000;
    EXPECT_EQ(Mouse({MouseFlags::RightUp}), Events{}) << "a release is not looked at";

    // An event the system refuses (another desktop has the input): told once,
    // but the beep is the mouse action's own, for every refused event.
    targets.underCursor = 5;
    EXPECT_EQ(Mouse({MouseFlags::MiddleDown}, false), Events{refused});
    EXPECT_EQ(Mouse({MouseFlags::MiddleDown}, false), Events{});
    // A refused key press beeps here, since the key action does not.
    targets.now += 2000;
    EXPECT_EQ(Keys({true}, false), Events{"error beep"});

    // Once input reaches that process again, a later refusal is news.
    EXPECT_EQ(Mouse({MouseFlags::LeftDown}), Events{});
    targets.now += 2000;
    EXPECT_EQ(Mouse({MouseFlags::LeftDown}, false), Events{refused});
}

// On the lock screen or a consent prompt SendInput refuses everything, also
// what would go to an elevated window: that is told as a refusal, and the
// elevated window is still named once the input is inserted again.
TEST_F(InputGuardTest, RefusalIsToldAsSuchAndDoesNotSilenceTheMessageAboutAnElevatedWindow)
{
    targets.elevated = {7};
    targets.foreground = 7;
    EXPECT_EQ(Keys({true}, false), (Events{refused, "error beep"}));
    targets.now += 2000;
    targets.foreground = 5;
    EXPECT_EQ(Keys({true}, false), Events{"error beep"}) << "one refusal is told once, whatever the window";
    targets.now += 2000;
    targets.foreground = 7;
    EXPECT_EQ(Keys({true}), (Events{told, "error beep"}));
}

TEST_F(InputGuardTest, TheIntegrityOfAProcessIsCheckedAgainOnlyAfterAShortWhile)
{
    targets.foreground = 5;
    for (int press = 0; press < 20; ++press) {
        Keys({true, false});
        targets.now += 50;
    }
    EXPECT_EQ(targets.checks[5], 1) << "one second of repetition opens one token";
    targets.now += InputGuard::checkLifetimeMilliseconds;
    // Meanwhile the id went to an elevated program.
    targets.elevated = {5};
    EXPECT_EQ(Keys({true}), (Events{told, "error beep"}));
    EXPECT_EQ(targets.checks[5], 2);
}

TEST(ExtendedKeys, TheNavigationBlockAndTheOtherE0KeysCarryTheFlagAndNothingElse)
{
    // Arrows, Insert, Delete, Home, End, Page Up/Down, Num Lock, Divide,
    // Windows and Apps keys, Break, Print Screen, right CTRL/ALT, media keys.
    for (uint8_t key : {0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22, 0x90, 0x6F,
                        0x5B, 0x5C, 0x5D, 0x03, 0x2C, 0xA3, 0xA5, 0xA6, 0xAD, 0xB3, 0xB7})
        EXPECT_TRUE(IsExtendedKey(key)) << Hex(key, 2);
    // The modifiers we send are the left-hand ones; the keypad digits and
    // operators other than Divide, Enter, Pause, the right SHIFT, letters,
    // digits, F-keys.
    for (uint8_t key : {0x10, 0x11, 0x12, 0xA0, 0xA1, 0xA2, 0xA4, 0x60, 0x64, 0x69, 0x6A, 0x6B, 0x6D, 0x6E,
                        0x0D, 0x13, 0x41, 0x5A, 0x30, 0x70, 0x87, 0x09, 0x20, 0x1B, 0x08, 0xB8, 0xFF})
        EXPECT_FALSE(IsExtendedKey(key)) << Hex(key, 2);
    EXPECT_EQ(KeyEventFlagsFor(0x25, true), KeyEventFlags::ExtendedKey);
    EXPECT_EQ(KeyEventFlagsFor(0x25, false), KeyEventFlags::ExtendedKey | KeyEventFlags::KeyUp);
    EXPECT_EQ(KeyEventFlagsFor(0x41, true), 0u);
    EXPECT_EQ(KeyEventFlagsFor(0x41, false), KeyEventFlags::KeyUp);
}

}  // namespace
