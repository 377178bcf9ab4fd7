// The later actions as a user tries them: a held direction sensor moves the
// pointer by about what its speeds say, a wheel sensor scrolls the window
// under the pointer, and a sensor of its own pauses and resumes Kontakta
// while every other sensor stays silent in between.
#include <cstring>

#include "ScenarioSupport.h"
#include "sensors/ActionOptions.h"
#include "settings/ActionsRecord.h"
#include "settings/SettingsExtension.h"

namespace e2e {
namespace {

using kontakta::Group;

// The settings file of an installed Kontakta with `live` records (the first
// four bytes: no press sound) and `options` beyond them, as the program
// stores them: the block with the stored copies, the filters' record, the
// actions record.
std::string FileWith(const SensorActions& live, const kontakta::ActionsSettings& options)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);
    for (int sensor = 0; sensor < sensorCount; ++sensor) {
        const SensorAction stored = kontakta::StoredBlockRecord(live[size_t(sensor)], options.sensors[size_t(sensor)]);
        std::memcpy(file.data() + RecordOffset(sensor + 1), &stored, sizeof stored);
    }
    for (const std::vector<uint8_t>& record :
         {kontakta::EncodeSettingsExtension({}), kontakta::EncodeActionsRecord(options, live)})
        file.append(record.begin(), record.end());
    return file;
}

struct Later {
    int sensor;
    Group group;
    int32_t action;
};

std::string FileWith(std::initializer_list<Later> sensors, kontakta::PointerSpeeds speeds = {})
{
    SensorActions live = DefaultSensorActions();
    kontakta::ActionsSettings options;
    options.pointer = speeds;
    for (const Later& later : sensors) {
        live[size_t(later.sensor - 1)].enabled = 1;
        options.sensors[size_t(later.sensor - 1)].group = int32_t(later.group);
        options.sensors[size_t(later.sensor - 1)].action = later.action;
    }
    return FileWith(live, options);
}

TEST_F(Scenario, ADirectionSensorHeldMovesThePointerByAboutWhatItsSpeedsSay)
{
    // 100 px/s from the start, no acceleration: the tap time is 100 ms, then
    // the pointer moves on by itself.
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0",
                                          .settingsFile = FileWith({{1, Group::MovePointer, 3 /* nach rechts */}},
                                                                   {100, 100, 0})}));
    ASSERT_TRUE(testsupport::MoveCursor({300, 300}));
    Touch(1, 60);
    testsupport::Pump(200);
    POINT tapped{};
    ::GetCursorPos(&tapped);
    EXPECT_EQ(tapped.x, 301) << "a short press moves one pixel, for fine positioning";
    EXPECT_EQ(tapped.y, 300);

    Touch(1, 1100);
    testsupport::Pump(200);
    POINT held{};
    ::GetCursorPos(&held);
    // About 100 px in the second after the tap time; wide margins for a
    // shared machine's poll.
    EXPECT_GE(held.x - tapped.x, 50);
    EXPECT_LE(held.x - tapped.x, 160);
    EXPECT_EQ(held.y, 300) << "straight to the right";
}

TEST_F(Scenario, AWheelSensorScrollsTheWindowUnderThePointerAndRepeatsWhileHeld)
{
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0",
                                          .settingsFile = FileWith({{2, Group::Wheel, 1 /* nach unten */}})}));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Touch(2, 60);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "WHEEL -120"; }, 2000)) << target.Describe();
    target.Clear();
    // Held past the keyboard delay (500 ms in the tests' prefix), it turns on
    // at 10 notches a second.
    Touch(2, 1300);
    testsupport::Pump(200);
    const size_t notches = target.Received().size();
    EXPECT_GE(notches, 4u) << target.Describe();
    EXPECT_LE(notches, 16u) << target.Describe();
}

TEST_F(Scenario, AControlSensorPausesAndResumesWhileEveryOtherSensorStaysSilent)
{
    SensorActions live = DefaultSensorActions();
    live[0].enabled = 1;  // sensor 1: "Sensoren pausieren / fortsetzen"
    live[1].enabled = 1;  // sensor 2: "Links Drücken/Loslassen"
    kontakta::ActionsSettings options;
    options.sensors[0].group = int32_t(Group::Control);
    options.sensors[0].action = int32_t(kontakta::ControlAction::PauseOrResume);
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = FileWith(live, options)}));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    StartAfresh(target);

    Touch(1, 100);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(L"KORVA Kontakta - pausiert"); }, 2000));
    Touch(2, 100);
    Touch(2, 100);
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "") << "paused: the other sensor does nothing";

    Touch(1, 100);
    EXPECT_TRUE(WaitFor([] { return TrayTipShown(readableTip); }, 2000)) << "the pause's own sensor resumes";
    Touch(2, 100);
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 2000)) << target.Describe();
}

}  // namespace
}  // namespace e2e
