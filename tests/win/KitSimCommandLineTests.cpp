// kitsim.exe on the command line: pressing and holding inputs, the box
// commands, the device-change broadcast, the status and bad usage.
#include <windows.h>

#include <gtest/gtest.h>

#include "KitSimTestSupport.h"
#include "win/Handle.h"

namespace kitsimtest {
namespace {

// kitsim.exe

struct CommandResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and error together
};

// Runs kitsim.exe with `arguments`, dispatching this thread's messages while
// it runs (its device-change broadcast waits for our windows).
CommandResult RunKitSim(const std::wstring& arguments)
{
    CommandResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::Handle readEnd;
    win::Handle writeEnd;
    // A start that fails says why in the output, which the tests print.
    auto failed = [&](const char* what) {
        result.output = std::string(what) + " failed with error " + std::to_string(::GetLastError());
        return result;
    };
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0)) return failed("CreatePipe");
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    win::ProcessInformation process;
    std::wstring commandLine = L"\"" + KitSimPath() + L"\" " + arguments;
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, process.Put());
    if (!started) return failed("CreateProcessW");
    writeEnd.Reset();  // the child's copy is the only writer left: the pipe ends with it
    auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd.Get(), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || !got)
                break;
            result.output.append(buffer, got);
        }
    };
    PumpUntil(
        [&] {
            drain();
            return ::WaitForSingleObject(process.Process(), 0) == WAIT_OBJECT_0;
        },
        30000);
    drain();
    ::GetExitCodeProcess(process.Process(), &result.exitCode);
    if (result.exitCode == STILL_ACTIVE) ::TerminateProcess(process.Process(), 99);
    return result;
}

using KitSimCommandLine = KitTest;

TEST_F(KitSimCommandLine, PressAndReleaseHoldAndLetGoInputsSilently)
{
    CommandResult press = RunKitSim(L"press 3");
    EXPECT_EQ(press.exitCode, 0u);
    EXPECT_EQ(press.output, "") << "a command writes nothing unless asked";
    EXPECT_EQ(control.devices[0].pressed.load(), 0x04u);
    OpenSet set;
    EXPECT_EQ(Read(kit.device(1)).value, 0xFFFFFBFDu) << "seen through the kit in this process";

    EXPECT_EQ(RunKitSim(L"press 8").exitCode, 0u);
    EXPECT_EQ(RunKitSim(L"press 5 --device 2").exitCode, 0u);
    EXPECT_EQ(RunKitSim(L"--device 2 press 1").exitCode, 0u);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x84u);
    EXPECT_EQ(control.devices[1].pressed.load(), 0x11u);
    EXPECT_EQ(RunKitSim(L"release 3").exitCode, 0u);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x80u);
}

TEST_F(KitSimCommandLine, BoxCommandsChangeTheControl)
{
    EXPECT_EQ(RunKitSim(L"kind 6").exitCode, 0u);
    EXPECT_EQ(control.devices[0].idCode.load(), kitsim::idCodeSixInputs);
    EXPECT_EQ(RunKitSim(L"kind 8").exitCode, 0u);
    EXPECT_EQ(control.devices[0].idCode.load(), kitsim::idCodeEightInputs);
    EXPECT_EQ(RunKitSim(L"kind 6 --device 3").exitCode, 0u);
    EXPECT_EQ(control.devices[2].idCode.load(), kitsim::idCodeSixInputs);

    EXPECT_EQ(RunKitSim(L"fail on").exitCode, 0u);
    EXPECT_EQ(control.devices[0].readsFail.load(), 1u);
    EXPECT_EQ(RunKitSim(L"fail off").exitCode, 0u);
    EXPECT_EQ(control.devices[0].readsFail.load(), 0u);

    EXPECT_EQ(RunKitSim(L"devices 3").exitCode, 0u);
    EXPECT_EQ(control.deviceCount.load(), 3u);
    EXPECT_EQ(RunKitSim(L"product 0x1502 --device 2").exitCode, 0u);
    EXPECT_EQ(control.devices[1].productId.load(), 0x1502u);
    EXPECT_EQ(RunKitSim(L"raw 0xFFFF0000").exitCode, 0u);
    EXPECT_EQ(control.devices[0].rawOverride.load(), 1u);
    EXPECT_EQ(control.devices[0].rawValue.load(), 0xFFFF0000u);
    EXPECT_EQ(RunKitSim(L"raw off").exitCode, 0u);
    EXPECT_EQ(control.devices[0].rawOverride.load(), 0u);
    EXPECT_EQ(RunKitSim(L"delay 1500").exitCode, 0u);
    EXPECT_EQ(control.readDelayMicroseconds.load(), 1500u);

    control.opens = 7;
    control.devices[0].pressed = 0x0F;
    EXPECT_EQ(RunKitSim(L"reset").exitCode, 0u);
    EXPECT_EQ(control.opens.load(), 0u);
    EXPECT_EQ(control.devices[0].pressed.load(), 0u);
    EXPECT_EQ(control.deviceCount.load(), 1u);
    EXPECT_EQ(control.readDelayMicroseconds.load(), 0u);
}

TEST_F(KitSimCommandLine, PlugAndUnplugTellTheTopLevelWindows)
{
    DeviceChangeCounter counter;
    EXPECT_EQ(RunKitSim(L"unplug").exitCode, 0u);
    EXPECT_EQ(control.plugged.load(), 0u);
    EXPECT_GE(DeviceChangeCounter::count, 1);
    const int afterUnplug = DeviceChangeCounter::count;
    EXPECT_EQ(RunKitSim(L"plug").exitCode, 0u);
    EXPECT_EQ(control.plugged.load(), 1u);
    EXPECT_GT(DeviceChangeCounter::count, afterUnplug);
}

TEST_F(KitSimCommandLine, StatusPrintsTheBoxAndTheCounters)
{
    control.devices[0].pressed = (1u << 1) | (1u << 6);  // inputs 2 and 7
    {
        OpenSet set;
        for (int i = 0; i < 3; ++i) Read(kit.device(1));
    }
    const CommandResult status = RunKitSim(L"status");
    EXPECT_EQ(status.exitCode, 0u);
    EXPECT_NE(status.output.find("plugged: yes"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("KT8"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("held: 2, 7"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("value 0xFFFFBDFD"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("serial 00001234"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("opens 1, closes 1, reads 3"), std::string::npos) << status.output;

    control.plugged = 0;
    const CommandResult unplugged = RunKitSim(L"status");
    EXPECT_NE(unplugged.output.find("plugged: no"), std::string::npos) << unplugged.output;
    EXPECT_NE(unplugged.output.find("value -"), std::string::npos) << unplugged.output;
}

TEST_F(KitSimCommandLine, BadUsageExitsWithTwoAndChangesNothing)
{
    for (const wchar_t* arguments : {L"bogus", L"press", L"press 0", L"press 9", L"press 3x", L"press -1", L"press 1 2",
                                     L"kind 7", L"fail maybe", L"devices 5", L"press 1 --device 5", L"press 1 --device",
                                     L"plug --device 2", L"product 0x10000", L"--device 2"}) {
        const CommandResult result = RunKitSim(arguments);
        EXPECT_EQ(result.exitCode, 2u) << "kitsim " << testing::PrintToString(std::wstring(arguments));
        EXPECT_NE(result.output.find("Usage"), std::string::npos) << "the usage is shown; got: " << result.output;
    }
    EXPECT_EQ(control.devices[0].pressed.load(), 0u);
    EXPECT_EQ(control.devices[0].idCode.load(), kitsim::idCodeEightInputs);
    EXPECT_EQ(control.deviceCount.load(), 1u);
    EXPECT_EQ(control.plugged.load(), 1u);

    const CommandResult help = RunKitSim(L"help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.output.find("kitsim press N"), std::string::npos);
}

TEST_F(KitSimCommandLine, ServeRunsUntilItIsEnded)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation process;
    std::wstring commandLine = L"\"" + KitSimPath() + L"\" serve";
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, process.Put()));
    EXPECT_EQ(::WaitForSingleObject(process.Process(), 1500), static_cast<DWORD>(WAIT_TIMEOUT));
    ::TerminateProcess(process.Process(), 0);
    ::WaitForSingleObject(process.Process(), 5000);
    EXPECT_EQ(control.plugged.load(), 1u) << "serve changes nothing";
    EXPECT_EQ(control.opens.load(), 0u);
}

}  // namespace
}  // namespace kitsimtest
