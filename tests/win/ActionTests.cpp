// The action executors with the real Win32 adapters: the input they produce
// must arrive at the foreground window as the right messages, in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "SensorRecords.h"
#include "TestSupport.h"
#include "app/CMsgBox.h"
#include "app/Sounds.h"
#include "sensors/CActionControl.h"
#include "sensors/MouseAction.h"
#include "sensors/RunFileAction.h"
#include "sensors/Win32Actions.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

using testsupport::TargetWindow;

namespace {

// Runs `action` on a thread of its own, as the polling thread would, while
// this thread keeps its windows alive.
void OnWorkerThread(const std::function<void()>& action)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        action();
        done = true;
    });
    testsupport::PumpUntil([&] { return done.load(); }, 10000);
    worker.join();
}

class MouseActions : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(target.Activate()) << "the target window must be in the foreground"; }
    void Perform(MouseActionKind kind, bool pressed)
    {
        OnWorkerThread([&] { PerformMouseAction(MouseRecord(kind), pressed, input, sounds, clock); });
        testsupport::Pump(150);
    }

    TargetWindow target;
    Win32Input input;
    Win32Sounds sounds;
    Win32Clock clock;
};

TEST_F(MouseActions, LeftClickArrivesAsButtonDownAndUp)
{
    Perform(MouseActionKind::LeftClick, true);
    Perform(MouseActionKind::LeftClick, false);
    EXPECT_EQ(target.Describe(), "LDOWN LUP");
}

TEST_F(MouseActions, DoubleClickArrivesAsADoubleClick)
{
    Perform(MouseActionKind::DoubleClick, true);
    EXPECT_EQ(target.Describe(), "LDOWN LUP LDBL LUP");
}

TEST_F(MouseActions, RightPressReleaseFollowsTheSensor)
{
    Perform(MouseActionKind::RightPressRelease, true);
    EXPECT_EQ(target.Describe(), "RDOWN");
    EXPECT_TRUE(::GetAsyncKeyState(VK_RBUTTON) & 0x8000) << "the button stays down while the sensor is held";
    Perform(MouseActionKind::RightPressRelease, false);
    EXPECT_EQ(target.Describe(), "RDOWN RUP");
}

TEST_F(MouseActions, MiddleClickArrivesAsMiddleButton)
{
    Perform(MouseActionKind::MiddleClick, true);
    EXPECT_EQ(target.Describe(), "MDOWN MUP");
}

class KeyActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.Activate());
        ASSERT_TRUE(actionControl.Create());
    }
    void TearDown() override { actionControl.DestroyWindow(); }
    void Perform(const SensorAction& record, bool pressed)
    {
        OnWorkerThread([&] { actionControl.PerformKeyAction(record, pressed); });
    }

    TargetWindow target;
    Win32Input input;
    Win32KeyboardSettings settings;
    CActionControl actionControl{input, settings};
};

TEST_F(KeyActions, CombinationArrivesModifiersFirstAndIsReleasedInTheSameOrder)
{
    const SensorAction record = KeyRecord('A', true, true, true, false);
    Perform(record, true);
    testsupport::Pump(100);
    Perform(record, false);
    testsupport::Pump(100);
    EXPECT_EQ(target.Describe(), "KD 12 KD 11 KD 10 KD 41 KU 12 KU 11 KU 10 KU 41");
}

TEST_F(KeyActions, HeldKeyRepeatsAfterTheSystemDelayAtTheSystemRate)
{
    uint32_t delay = 0, speed = 0;
    ASSERT_TRUE(settings.GetKeyboardDelay(delay));
    ASSERT_TRUE(settings.GetKeyboardSpeed(speed));
    ASSERT_EQ(delay, 1u) << "the test prefix sets KeyboardDelay 1";
    ASSERT_EQ(speed, 31u) << "the test prefix sets KeyboardSpeed 31";

    const SensorAction record = KeyRecord('B', false, false, false, true);
    Perform(record, true);
    testsupport::Pump(1200);
    Perform(record, false);
    testsupport::Pump(200);

    std::vector<double> downs;
    for (const auto& received : target.Received())
        if (received.message == WM_KEYDOWN && received.key == 'B') downs.push_back(received.time);
    ASSERT_GE(downs.size(), 8u) << target.Describe();
    const double firstRepeat = downs[1] - downs[0];
    EXPECT_GT(firstRepeat, 450.0) << "delay 500 ms plus one interval of 33 ms";
    EXPECT_LT(firstRepeat, 800.0);
    std::vector<double> intervals;
    for (size_t i = 2; i < downs.size(); ++i) intervals.push_back(downs[i] - downs[i - 1]);
    std::sort(intervals.begin(), intervals.end());
    const double median = intervals[intervals.size() / 2];
    EXPECT_GT(median, 20.0) << "about every 33 ms";
    EXPECT_LT(median, 60.0);
    EXPECT_EQ(target.Received().back().message, UINT(WM_KEYUP)) << "the release ends it";
}

// Releases come from the polling thread while the repeat timer fires on this
// thread. However they interleave, the key must end up released.
TEST_F(KeyActions, ReleaseDuringTheRepetitionNeverLeavesTheKeyDown)
{
    const SensorAction record = KeyRecord('C', false, false, false, true);
    std::mt19937 random(11);
    for (int cycle = 0; cycle < 12; ++cycle) {
        target.Clear();
        Perform(record, true);
        testsupport::Pump(530 + random() % 90);  // releases fall around the first repeats
        Perform(record, false);
        testsupport::Pump(120);
        ASSERT_FALSE(target.Received().empty());
        EXPECT_EQ(target.Received().back().message, UINT(WM_KEYUP)) << "cycle " << cycle << ": " << target.Describe();
        EXPECT_FALSE(::GetAsyncKeyState('C') & 0x8000) << "cycle " << cycle;
    }
}

TEST_F(KeyActions, DestroyingTheWindowEndsTheRepetition)
{
    const SensorAction record = KeyRecord('D', false, false, false, true);
    Perform(record, true);
    testsupport::Pump(700);
    actionControl.DestroyWindow();
    testsupport::Pump(50);
    target.Clear();
    testsupport::Pump(300);
    EXPECT_EQ(target.Describe(), "") << "no key arrives after the window is gone";
    Perform(record, false);
}

// Put in front of the target window's procedure: notes each key message with
// its lParam.
struct KeyMessage {
    UINT message;
    WPARAM key;
    LPARAM parameter;
};
std::vector<KeyMessage> keyMessages;
WNDPROC targetProcedure = nullptr;
LRESULT CALLBACK NoteKeyMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP) keyMessages.push_back({message, wParam, lParam});
    return ::CallWindowProcW(targetProcedure, window, message, wParam, lParam);
}

// What a program that reads scan codes sees: bits 16 to 23 of lParam hold the
// scan code, bit 24 says the key is one of the extended set. An arrow without
// the flag would be the keypad's 4.
TEST_F(KeyActions, KeysCarryTheirScanCodeAndArrowsArriveAsExtendedKeys)
{
    keyMessages.clear();
    targetProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(target.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NoteKeyMessages)));
    for (const uint8_t key : {uint8_t(VK_LEFT), uint8_t('A')}) {
        Perform(KeyRecord(key, false, false, false, false), true);
        Perform(KeyRecord(key, false, false, false, false), false);
    }
    testsupport::Pump(150);
    ::SetWindowLongPtrW(target.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(targetProcedure));

    ASSERT_EQ(target.Describe(), "KD 25 KU 25 KD 41 KU 41");
    ASSERT_EQ(keyMessages.size(), 4u);
    for (size_t index = 0; index < 4; ++index) {
        const bool arrow = index < 2;
        const LPARAM parameter = keyMessages[index].parameter;
        EXPECT_EQ((parameter >> 16) & 0xFF, arrow ? 0x4B : 0x1E) << index;
        EXPECT_EQ((parameter >> 24) & 1, arrow ? 1 : 0) << index;
    }
}

// The guard's view of the system. Wine runs every process of a prefix at one
// integrity level, so a window of an elevated program cannot be shown here;
// another program of our level and a process that cannot be opened can.
TEST(InputTargets, OurWindowsAndAnotherProgramOfOurLevelAreNotAboveUsAProcessWeCannotOpenIs)
{
    TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Win32InputTargets targets;
    const DWORD own = ::GetCurrentProcessId();
    EXPECT_EQ(targets.ForegroundProcess(), own);
    EXPECT_EQ(targets.ProcessUnderCursor(), own);
    EXPECT_FALSE(targets.RunsAboveUs(own));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation other;
    std::wstring command = L"\"" + testsupport::ProgramDirectory() + L"kontakta_marker.exe\"";
    ASSERT_TRUE(
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, other.Put()));
    EXPECT_FALSE(targets.RunsAboveUs(other.ProcessId()));
    ::WaitForSingleObject(other.Process(), 10000);

    EXPECT_TRUE(targets.RunsAboveUs(0xFFFFFFF0u)) << "no process has this id: it cannot be opened";
}

class RunFileActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(actionControl.Create());
        ASSERT_TRUE(messages.Create());
        ownerWindow = actionControl.GetSafeHwnd();
        ::DeleteFileW(MarkerPath().c_str());
    }
    void TearDown() override
    {
        EXPECT_TRUE(shell.Stop(Win32ShellWorker::stopWaitMilliseconds));
        messages.DestroyWindow();
        actionControl.DestroyWindow();
    }
    void Perform(const std::wstring& path)
    {
        SensorAction record = DefaultSensorAction(1);
        record.actionGroup = int32_t(ActionGroup::RunFile);
        win::Utf16(path).copy(record.path, pathLength - 1);
        // As the polling thread: it only hands the target over.
        OnWorkerThread([&] { PerformRunFileAction(record, shell, shell); });
    }
    static std::wstring MarkerPath()
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"kontakta_marker.txt";
    }
    bool WaitForMarker()
    {
        return testsupport::PumpUntil([] { return testsupport::FileExists(MarkerPath()); }, 15000);
    }
    bool MessageWindowShows(const std::wstring& text)
    {
        return testsupport::PumpUntil(
            [&] { return ::IsWindowVisible(messages.GetSafeHwnd()) && messages.ShownText() == text; }, 5000);
    }

    static HWND ownerWindow;
    static HWND OwnerWindow() { return ownerWindow; }
    Win32Input input;
    Win32KeyboardSettings settings;
    CActionControl actionControl{input, settings};
    CMsgBox messages;
    Win32ShellWorker shell{&RunFileActions::OwnerWindow, messages};
};
HWND RunFileActions::ownerWindow = nullptr;

TEST_F(RunFileActions, MissingFileShowsTheMessageWindowAndASecondFailureReplacesTheText)
{
    const std::wstring first = L"C:\\Daten\\fehlt.txt";
    Perform(first);
    ASSERT_TRUE(MessageWindowShows(L"'C:\\Daten\\fehlt.txt' konnte nicht geöffnet werden!"))
        << "shown: " << testing::PrintToString(messages.ShownText());
    EXPECT_EQ(win::GetText(messages.GetSafeHwnd()), L"Kontakta");
    EXPECT_EQ(::GetForegroundWindow(), messages.GetSafeHwnd());

    Perform(L"C:\\Daten\\auch weg.doc");
    EXPECT_TRUE(MessageWindowShows(L"'C:\\Daten\\auch weg.doc' konnte nicht geöffnet werden!"));

    // OK hides the window; the next failure brings it back to the front.
    ::SendMessageW(messages.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindowVisible(messages.GetSafeHwnd()));
    Perform(first);
    EXPECT_TRUE(MessageWindowShows(L"'C:\\Daten\\fehlt.txt' konnte nicht geöffnet werden!"));
    EXPECT_EQ(::GetForegroundWindow(), messages.GetSafeHwnd());
}

TEST_F(RunFileActions, ExistingProgramIsStarted)
{
    const std::wstring program = testsupport::ProgramDirectory() + L"kontakta_marker.exe";
    ASSERT_TRUE(testsupport::FileExists(program));
    Perform(program);
    ASSERT_TRUE(WaitForMarker()) << "the program did not run";
    EXPECT_FALSE(::IsWindowVisible(messages.GetSafeHwnd())) << "no message for a target that opened";
}

TEST_F(RunFileActions, DocumentOpensInItsRegisteredApplication)
{
    // Register a document type of our own, opened by the marker
    // program, and open a document of it whose name has spaces.
    const std::wstring program = testsupport::ProgramDirectory() + L"kontakta_marker.exe";
    const std::wstring command = L"\"" + program + L"\" \"%1\"";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, L".kontaktatest", nullptr, REG_SZ, L"KontaktaTest.Document",
                                sizeof(L"KontaktaTest.Document")),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, L"KontaktaTest.Document\\shell\\open\\command", nullptr, REG_SZ,
                                command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const std::wstring document = testsupport::MakeTempDirectory(L"kontakta doc") + L"Mein Brief.kontaktatest";
    ASSERT_TRUE(testsupport::WriteFileBytes(document, "hello"));

    Perform(document);
    ASSERT_TRUE(WaitForMarker()) << "the document's application did not run";
    const std::string marker = testsupport::ReadFileBytes(MarkerPath());
    const std::wstring commandLine(reinterpret_cast<const wchar_t*>(marker.data()), marker.size() / 2);
    EXPECT_NE(commandLine.find(L"Mein Brief.kontaktatest"), std::wstring::npos) << "the document was passed on";
}

}  // namespace
