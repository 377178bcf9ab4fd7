// The kit stand-in: iowkit.dll loaded and called by ordinal as Kontakta does,
// the command line of kitsim.exe, and the virtual input box window, all
// checked through the shared control.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "KitSimControl.h"
#include "TestSupport.h"
#include "VirtualBoxIds.h"

namespace {

using testsupport::PumpUntil;

// The call shapes of the kit, as the device access calls them.
using Handle = void*;
using OpenDevicesCall = Handle (*)();
using CloseDevicesCall = void (*)(Handle);
using WriteCall = ULONG (*)(Handle, ULONG, const char*, ULONG);
using ReadCall = BOOL (*)(Handle, DWORD*);
using DeviceCountCall = ULONG (*)();
using DeviceHandleCall = Handle (*)(ULONG);
using ProductIdCall = ULONG (*)(Handle);
using SerialCall = BOOL (*)(Handle, wchar_t*);

template <typename Call>
Call Ordinal(HMODULE module, WORD ordinal)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// iowkit.dll, loaded by its bare name from the program's folder as Kontakta
// loads it.
struct Kit {
    Kit()
    {
        module = ::LoadLibraryW(L"iowkit.dll");
        if (!module) return;
        open = Ordinal<OpenDevicesCall>(module, 1);
        close = Ordinal<CloseDevicesCall>(module, 2);
        write = Ordinal<WriteCall>(module, 4);
        read = Ordinal<ReadCall>(module, 5);
        count = Ordinal<DeviceCountCall>(module, 8);
        device = Ordinal<DeviceHandleCall>(module, 9);
        productId = Ordinal<ProductIdCall>(module, 11);
        serial = Ordinal<SerialCall>(module, 12);
    }
    bool Complete() const { return open && close && write && read && count && device && productId && serial; }

    HMODULE module = nullptr;
    OpenDevicesCall open = nullptr;
    CloseDevicesCall close = nullptr;
    WriteCall write = nullptr;
    ReadCall read = nullptr;
    DeviceCountCall count = nullptr;
    DeviceHandleCall device = nullptr;
    ProductIdCall productId = nullptr;
    SerialCall serial = nullptr;
};

Kit& TheKit()
{
    static Kit kit;
    return kit;
}

// The test program holds the control open for its whole run, so the state
// set by one step survives until the next.
kitsim::Control* TheControl()
{
    static kitsim::Control* control = kitsim::OpenControl();
    return control;
}

// An open set that is closed at the end of the scope.
class OpenSet {
public:
    OpenSet() : set(TheKit().open()) {}
    ~OpenSet()
    {
        if (set) TheKit().close(set);
    }
    OpenSet(const OpenSet&) = delete;
    OpenSet& operator=(const OpenSet&) = delete;
    Handle Get() const { return set; }
    Handle Release() { return std::exchange(set, nullptr); }

private:
    Handle set;
};

// The report that sets the box's outputs high, as Kontakta writes it after
// opening: 00 FF FF on pipe 0.
const char outputsHigh[3] = {0x00, static_cast<char>(0xFF), static_cast<char>(0xFF)};

// A read: whether it succeeded and the value it left.
struct ReadResult {
    BOOL ok;
    DWORD value;
};
ReadResult Read(Handle device)
{
    DWORD value = 0xA5A5A5A5;
    const BOOL ok = TheKit().read(device, &value);
    return {ok, value};
}

class KitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(TheControl(), nullptr) << "the shared control could not be opened";
        ASSERT_TRUE(TheKit().module) << "iowkit.dll was not found beside the test program";
        ASSERT_TRUE(TheKit().Complete()) << "an ordinal of the kit is missing";
        kitsim::ResetControl(control);
    }
    kitsim::Control& control = *TheControl();
    Kit& kit = TheKit();
};

// The calls logged since `first` (1-based), oldest first.
std::vector<kitsim::CallCopy> CallsSince(const kitsim::Control& control, uint32_t first)
{
    std::vector<kitsim::CallCopy> calls;
    const uint32_t last = control.callLogNext.load();
    for (uint32_t sequence = first; sequence <= last; ++sequence) {
        kitsim::CallCopy copy{};
        if (kitsim::CopyCall(control, sequence, copy)) calls.push_back(copy);
    }
    return calls;
}

// ---------------------------------------------------------------------------
// Exports

TEST_F(KitTest, LibraryComesFromTheProgramFolder)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(kit.module, path, MAX_PATH);
    EXPECT_EQ(_wcsicmp(std::wstring(path, length).c_str(),
                       (testsupport::ProgramDirectory() + L"iowkit.dll").c_str()), 0);
}

TEST_F(KitTest, ExportsExactlyTheKitOrdinalsAndNoNames)
{
    const auto* base = reinterpret_cast<const BYTE*>(kit.module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    ASSERT_EQ(headers->Signature, IMAGE_NT_SIGNATURE);
    const IMAGE_DATA_DIRECTORY& directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);

    EXPECT_EQ(exports->NumberOfNames, 0u) << "every export must be by ordinal only";
    const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    std::set<DWORD> ordinals;
    for (DWORD index = 0; index < exports->NumberOfFunctions; ++index) {
        if (functions[index]) ordinals.insert(exports->Base + index);
    }
    EXPECT_EQ(ordinals, (std::set<DWORD>{1, 2, 4, 5, 8, 9, 11, 12}));
    EXPECT_EQ(::GetProcAddress(kit.module, MAKEINTRESOURCEA(3)), nullptr);
    EXPECT_EQ(::GetProcAddress(kit.module, "KitRead"), nullptr) << "internal names stay internal";
}

// ---------------------------------------------------------------------------
// The input value

// Expected values written out: inputs pull their bit low, the low nibble is
// the inverted identification code (2 -> D, 6 -> 9), all else reads 1.
TEST_F(KitTest, EightInputBoxClearsBitSevenPlusNForInputN)
{
    const DWORD expected[9] = {0xFFFFFFFD, 0xFFFFFEFD, 0xFFFFFDFD, 0xFFFFFBFD, 0xFFFFF7FD,
                               0xFFFFEFFD, 0xFFFFDFFD, 0xFFFFBFFD, 0xFFFF7FFD};
    OpenSet set;
    ASSERT_NE(set.Get(), nullptr);
    const Handle device = kit.device(1);
    EXPECT_EQ(Read(device).value, expected[0]) << "nothing held";
    for (int input = 1; input <= 8; ++input) {
        control.devices[0].pressed = 1u << (input - 1);
        const ReadResult result = Read(device);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.value, expected[input]) << "input " << input;
    }
    control.devices[0].pressed = 0xFF;
    EXPECT_EQ(Read(device).value, 0xFFFF00FDu) << "all eight held";
    control.devices[0].pressed = 0;
    EXPECT_EQ(Read(device).value, expected[0]) << "all let go";
}

TEST_F(KitTest, SixInputBoxClearsBitFourteenMinusNForInputN)
{
    const DWORD expected[7] = {0xFFFFFFF9, 0xFFFFDFF9, 0xFFFFEFF9, 0xFFFFF7F9, 0xFFFFFBF9, 0xFFFFFDF9, 0xFFFFFEF9};
    control.devices[0].idCode = kitsim::idCodeSixInputs;
    OpenSet set;
    const Handle device = kit.device(1);
    EXPECT_EQ(Read(device).value, expected[0]) << "nothing held";
    for (int input = 1; input <= 6; ++input) {
        control.devices[0].pressed = 1u << (input - 1);
        const ReadResult result = Read(device);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.value, expected[input]) << "input " << input;
    }
    for (int input = 7; input <= 8; ++input) {
        control.devices[0].pressed = 1u << (input - 1);
        EXPECT_EQ(Read(device).value, expected[0]) << "the six-input box has no input " << input;
    }
    control.devices[0].pressed = 0x3F;
    EXPECT_EQ(Read(device).value, 0xFFFFC0F9u) << "all six held";
}

TEST_F(KitTest, RawValueReplacesTheInputsWhileSet)
{
    OpenSet set;
    const Handle device = kit.device(1);
    control.devices[0].pressed = 1;
    control.devices[0].rawValue = 0x12345678;
    control.devices[0].rawOverride = 1;
    EXPECT_EQ(Read(device).value, 0x12345678u);
    control.devices[0].rawOverride = 0;
    EXPECT_EQ(Read(device).value, 0xFFFFFEFDu);
}

TEST_F(KitTest, SeveralDevicesEachHaveTheirOwnIdentityAndInputs)
{
    control.deviceCount = 3;
    control.devices[0].productId = 0x1501;
    control.devices[1].productId = 0x1502;
    control.devices[2].productId = 0x2222;
    control.devices[1].idCode = kitsim::idCodeSixInputs;
    control.devices[0].pressed = 1u << 0;  // input 1
    control.devices[1].pressed = 1u << 1;  // input 2
    control.devices[2].pressed = 1u << 7;  // input 8

    OpenSet set;
    ASSERT_NE(set.Get(), nullptr);
    ASSERT_EQ(kit.count(), 3u);
    const Handle devices[3] = {kit.device(1), kit.device(2), kit.device(3)};
    EXPECT_NE(devices[0], devices[1]);
    EXPECT_NE(devices[1], devices[2]);
    EXPECT_EQ(kit.productId(devices[0]), 0x1501u);
    EXPECT_EQ(kit.productId(devices[1]), 0x1502u);
    EXPECT_EQ(kit.productId(devices[2]), 0x2222u);
    EXPECT_EQ(Read(devices[0]).value, 0xFFFFFEFDu);
    EXPECT_EQ(Read(devices[1]).value, 0xFFFFEFF9u);
    EXPECT_EQ(Read(devices[2]).value, 0xFFFF7FFDu);

    wchar_t serials[3][9];
    for (int index = 0; index < 3; ++index) {
        wmemset(serials[index], L'?', 9);
        EXPECT_TRUE(kit.serial(devices[index], serials[index]));
        EXPECT_EQ(serials[index][8], L'\0');
    }
    EXPECT_STREQ(serials[0], L"00001234");
    EXPECT_STRNE(serials[0], serials[1]);
    EXPECT_STRNE(serials[1], serials[2]);
}

// ---------------------------------------------------------------------------
// Opening, closing, writing and the call record

TEST_F(KitTest, OpenGivesTheSetItsDevicesAndTheirIdentity)
{
    OpenSet set;
    ASSERT_NE(set.Get(), nullptr);
    EXPECT_EQ(control.opens.load(), 1u);
    EXPECT_EQ(kit.count(), 1u);
    EXPECT_EQ(kit.device(0), nullptr);
    EXPECT_EQ(kit.device(2), nullptr);
    const Handle device = kit.device(1);
    ASSERT_NE(device, nullptr);
    EXPECT_NE(device, set.Get());
    EXPECT_EQ(kit.device(1), device) << "the same device, the same handle";
    EXPECT_EQ(kit.productId(device), 0x1501u);
    wchar_t serial[9];
    wmemset(serial, L'?', 9);
    EXPECT_TRUE(kit.serial(device, serial));
    EXPECT_STREQ(serial, L"00001234");
    EXPECT_FALSE(kit.serial(device, nullptr));

    kit.close(set.Release());
    EXPECT_EQ(control.closes.load(), 1u);
    EXPECT_EQ(kit.device(1), nullptr) << "no set is open";
    EXPECT_EQ(kit.count(), 1u) << "without a set: the present count";
    control.plugged = 0;
    EXPECT_EQ(kit.count(), 0u);
}

TEST_F(KitTest, OpenFindsNothingWhenUnpluggedOrWithoutDevices)
{
    control.plugged = 0;
    EXPECT_EQ(kit.open(), nullptr);
    EXPECT_EQ(kit.device(1), nullptr);
    control.plugged = 1;
    control.deviceCount = 0;
    EXPECT_EQ(kit.open(), nullptr);
    EXPECT_EQ(kit.count(), 0u);
    EXPECT_EQ(control.opens.load(), 2u) << "every open call counts";
}

TEST_F(KitTest, CountStaysWhatTheOpenFound)
{
    control.deviceCount = 2;
    OpenSet set;
    control.deviceCount = 4;
    EXPECT_EQ(kit.count(), 2u);
    EXPECT_EQ(kit.device(3), nullptr);
    EXPECT_NE(kit.device(2), nullptr);
}

TEST_F(KitTest, WriteIsRecordedWithPipeLengthAndFirstBytes)
{
    OpenSet set;
    const Handle device = kit.device(1);
    const uint32_t before = control.callLogNext.load();
    EXPECT_EQ(kit.write(device, 0, outputsHigh, 3), 3u);
    const char longer[6] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    EXPECT_EQ(kit.write(device, 1, longer, 6), 6u);
    EXPECT_EQ(control.writes.load(), 2u);

    const auto calls = CallsSince(control, before + 1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, uint32_t(kitsim::CallWrite));
    EXPECT_EQ(calls[0].device, 1u);
    EXPECT_EQ(calls[0].argument, 0u) << "pipe";
    EXPECT_EQ(calls[0].length, 3u);
    EXPECT_EQ(calls[0].bytes, 0x00FFFF00u) << "00 FF FF, little-endian";
    EXPECT_EQ(calls[0].result, 3u);
    EXPECT_EQ(calls[1].argument, 1u);
    EXPECT_EQ(calls[1].length, 6u);
    EXPECT_EQ(calls[1].bytes, 0x04030201u);

    control.plugged = 0;
    EXPECT_EQ(kit.write(device, 0, outputsHigh, 3), 0u) << "nothing to write to";
    control.plugged = 1;
    EXPECT_EQ(kit.write(device, 0, nullptr, 3), 0u);
    EXPECT_EQ(control.writes.load(), 4u);
}

TEST_F(KitTest, EveryCallIsLoggedInOrder)
{
    const uint32_t before = control.callLogNext.load();
    {
        OpenSet set;
        kit.count();
        const Handle device = kit.device(1);
        kit.productId(device);
        wchar_t serial[9];
        kit.serial(device, serial);
        Read(device);
        kit.write(device, 0, outputsHigh, 3);
    }
    const auto calls = CallsSince(control, before + 1);
    std::vector<uint32_t> kinds;
    for (const auto& call : calls) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{kitsim::CallOpen, kitsim::CallCount, kitsim::CallDeviceHandle,
                                            kitsim::CallProductId, kitsim::CallSerial, kitsim::CallRead,
                                            kitsim::CallWrite, kitsim::CallClose}));
    ASSERT_EQ(calls.size(), 8u);
    for (size_t index = 0; index < calls.size(); ++index) EXPECT_EQ(calls[index].sequence, before + 1 + index);
    EXPECT_EQ(calls[2].argument, 1u) << "device number asked for";
    EXPECT_EQ(calls[3].result, 0x1501u);
    EXPECT_EQ(calls[5].device, 1u);
    EXPECT_EQ(calls[5].result, 1u) << "the read succeeded";
    EXPECT_EQ(calls[7].result, 1u) << "the set was closed";
}

TEST_F(KitTest, CallLogKeepsTheLatestCallsWhenItWrapsAround)
{
    OpenSet set;
    const Handle device = kit.device(1);
    for (int i = 0; i < 300; ++i) Read(device);
    const uint32_t last = control.callLogNext.load();
    EXPECT_EQ(last, 302u) << "open, device handle, 300 reads";
    kitsim::CallCopy copy{};
    EXPECT_FALSE(kitsim::CopyCall(control, 1, copy)) << "the open was overwritten";
    EXPECT_FALSE(kitsim::CopyCall(control, last - kitsim::callLogSize, copy));
    for (uint32_t sequence = last - kitsim::callLogSize + 1; sequence <= last; ++sequence) {
        ASSERT_TRUE(kitsim::CopyCall(control, sequence, copy)) << sequence;
        EXPECT_EQ(copy.kind, uint32_t(kitsim::CallRead));
    }
    EXPECT_EQ(control.reads.load(), 300u);
    EXPECT_EQ(control.failedReads.load(), 0u);
}

// ---------------------------------------------------------------------------
// Failing reads and released handles

TEST_F(KitTest, ReadsFailWhileUnpluggedOrWhileReadsFailIsSet)
{
    OpenSet set;
    const Handle device = kit.device(1);
    ASSERT_TRUE(Read(device).ok);
    control.plugged = 0;
    EXPECT_FALSE(Read(device).ok);
    control.plugged = 1;
    control.devices[0].readsFail = 1;
    const ReadResult failed = Read(device);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.value, 0xA5A5A5A5u) << "a failed read leaves the value alone";
    control.devices[0].readsFail = 0;
    EXPECT_TRUE(Read(device).ok);
    EXPECT_EQ(control.reads.load(), 4u);
    EXPECT_EQ(control.failedReads.load(), 2u);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 0u);
}

TEST_F(KitTest, ReadFailsForADeviceBeyondThePresentCount)
{
    control.deviceCount = 2;
    OpenSet set;
    const Handle second = kit.device(2);
    ASSERT_TRUE(Read(second).ok);
    control.deviceCount = 1;
    EXPECT_FALSE(Read(second).ok);
    EXPECT_TRUE(Read(kit.device(1)).ok);
}

TEST_F(KitTest, HandlesOfAClosedSetFailAndAreCounted)
{
    Handle set = kit.open();
    ASSERT_NE(set, nullptr);
    const Handle device = kit.device(1);
    ASSERT_TRUE(Read(device).ok);
    kit.close(set);

    EXPECT_FALSE(Read(device).ok);
    EXPECT_EQ(kit.productId(device), 0u);
    wchar_t serial[9] = L"";
    EXPECT_FALSE(kit.serial(device, serial));
    EXPECT_EQ(kit.write(device, 0, outputsHigh, 3), 0u);
    kit.close(set);  // a second close of the same set
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 5u);
    EXPECT_EQ(control.failedReads.load(), 1u);
}

TEST_F(KitTest, OpeningAgainReleasesTheHandlesOfThePreviousSet)
{
    const Handle first = kit.open();
    const Handle oldDevice = kit.device(1);
    OpenSet second;
    const Handle newDevice = kit.device(1);
    EXPECT_NE(second.Get(), first);
    EXPECT_NE(newDevice, oldDevice);
    EXPECT_FALSE(Read(oldDevice).ok);
    EXPECT_TRUE(Read(newDevice).ok);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 1u);
}

TEST_F(KitTest, NullAndForeignHandlesFailWithoutCountingAsReleased)
{
    OpenSet set;
    DWORD value = 0;
    EXPECT_FALSE(kit.read(nullptr, &value));
    EXPECT_FALSE(kit.read(reinterpret_cast<Handle>(uintptr_t(0x1234)), &value));
    EXPECT_FALSE(kit.read(&value, &value)) << "a pointer to anything";
    EXPECT_FALSE(kit.read(set.Get(), &value)) << "the set is not a device";
    EXPECT_FALSE(kit.read(kit.device(1), nullptr));
    EXPECT_EQ(kit.productId(nullptr), 0u);
    kit.close(nullptr);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 0u);
    EXPECT_TRUE(Read(kit.device(1)).ok) << "the set is still open";
}

TEST_F(KitTest, ACloseDuringASlowReadMakesThatReadFail)
{
    control.readDelayMicroseconds = 500000;
    Handle set = kit.open();
    const Handle device = kit.device(1);
    std::atomic<int> result{-1};
    std::thread reader([&] { result = Read(device).ok; });
    // The read counts itself before it waits.
    const bool started = PumpUntil([&] { return control.reads.load() == 1; }, 5000);
    kit.close(set);
    reader.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(result.load(), FALSE);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 1u);
}

TEST_F(KitTest, ReadDelayIsHonoured)
{
    OpenSet set;
    const Handle device = kit.device(1);
    control.readDelayMicroseconds = 20000;
    const double start = testsupport::NowMilliseconds();
    for (int i = 0; i < 10; ++i) Read(device);
    const double elapsed = testsupport::NowMilliseconds() - start;
    EXPECT_GE(elapsed, 195.0) << "ten reads of 20 ms each";
    EXPECT_LT(elapsed, 5000.0);
}

TEST_F(KitTest, AThousandReadsTakeWellUnderASecond)
{
    OpenSet set;
    const Handle device = kit.device(1);
    const double start = testsupport::NowMilliseconds();
    int succeeded = 0;
    for (int i = 0; i < 1000; ++i) succeeded += Read(device).ok ? 1 : 0;
    const double elapsed = testsupport::NowMilliseconds() - start;
    std::printf("[ figure   ] 1000 reads took %.3f ms, %.0f ns per read\n", elapsed, elapsed * 1000.0);
    EXPECT_EQ(succeeded, 1000);
    EXPECT_LT(elapsed, 5000.0);
}

// ---------------------------------------------------------------------------
// kitsim.exe

// A hidden top-level window that counts the device-change broadcasts.
class DeviceChangeCounter {
public:
    DeviceChangeCounter()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KitSimDeviceChangeCounter";
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
        count = 0;
    }
    ~DeviceChangeCounter() { ::DestroyWindow(window); }
    DeviceChangeCounter(const DeviceChangeCounter&) = delete;
    DeviceChangeCounter& operator=(const DeviceChangeCounter&) = delete;
    static int count;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED && lParam == 0) ++count;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window;
};
int DeviceChangeCounter::count = 0;

struct CommandResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and error together
};

std::wstring KitSimPath() { return testsupport::ProgramDirectory() + L"kitsim.exe"; }

// Runs kitsim.exe with `arguments`, dispatching this thread's messages while
// it runs (its device-change broadcast waits for our windows).
CommandResult RunKitSim(const std::wstring& arguments)
{
    CommandResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + KitSimPath() + L"\" " + arguments;
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    if (!started) {
        ::CloseHandle(readEnd);
        return result;
    }
    auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || !got) break;
            result.output.append(buffer, got);
        }
    };
    PumpUntil([&] {
        drain();
        return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    }, 30000);
    drain();
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    if (result.exitCode == STILL_ACTIVE) ::TerminateProcess(process.hProcess, 99);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(readEnd);
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
    for (const wchar_t* arguments :
         {L"bogus", L"press", L"press 0", L"press 9", L"press 3x", L"press -1", L"press 1 2", L"kind 7", L"fail maybe",
          L"devices 5", L"press 1 --device 5", L"press 1 --device", L"plug --device 2", L"product 0x10000",
          L"--device 2"}) {
        const CommandResult result = RunKitSim(arguments);
        EXPECT_EQ(result.exitCode, 2u) << "kitsim " << testing::PrintToString(std::wstring(arguments));
        EXPECT_NE(result.output.find("Usage"), std::string::npos) << "the usage is shown";
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
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + KitSimPath() + L"\" serve";
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &process));
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT));
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(control.plugged.load(), 1u) << "serve changes nothing";
    EXPECT_EQ(control.opens.load(), 0u);
}

// ---------------------------------------------------------------------------
// The virtual input box window

// kitsim.exe started without arguments, and its window.
class VirtualBoxProcess {
public:
    VirtualBoxProcess()
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + KitSimPath() + L"\"";
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process))
            return;
        PumpUntil([this] { return (window = FindOwnWindow()) != nullptr; }, 20000);
    }
    ~VirtualBoxProcess()
    {
        if (!process.hProcess) return;
        if (!Close()) ::TerminateProcess(process.hProcess, 99);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    VirtualBoxProcess(const VirtualBoxProcess&) = delete;
    VirtualBoxProcess& operator=(const VirtualBoxProcess&) = delete;

    HWND Window() const { return window; }
    HWND Item(int id) const { return ::GetDlgItem(window, id); }

    // Asks the window to close; true when the process ended with exit code 0.
    bool Close()
    {
        if (::WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
            if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
            PumpUntil([this] { return ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
        }
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        return exitCode == 0;
    }

private:
    HWND FindOwnWindow() const
    {
        struct Search {
            DWORD processId;
            HWND found;
        } search{process.dwProcessId, nullptr};
        ::EnumWindows(
            [](HWND candidate, LPARAM parameter) -> BOOL {
                auto* state = reinterpret_cast<Search*>(parameter);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(candidate, &owner);
                wchar_t className[64] = L"";
                ::GetClassNameW(candidate, className, 64);
                if (owner == state->processId && std::wstring(className) == kitsim::ui::windowClass &&
                    ::IsWindowVisible(candidate)) {
                    state->found = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    return text;
}

// A click as the button would get it from the mouse, posted to its queue.
void PostClick(HWND control)
{
    ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

bool WaitFor(const std::function<bool()>& condition) { return PumpUntil(condition, 5000); }

class VirtualBoxWindow : public KitTest {
protected:
    static void SetUpTestSuite() { box = new VirtualBoxProcess; }
    static void TearDownTestSuite()
    {
        delete box;
        box = nullptr;
    }
    void SetUp() override
    {
        KitTest::SetUp();
        ASSERT_NE(box->Window(), nullptr) << "the virtual input box did not show";
        // Let the window catch up with the reset.
        testsupport::Pump(150);
    }
    static HWND Item(int id) { return box->Item(id); }
    static VirtualBoxProcess* box;
};
VirtualBoxProcess* VirtualBoxWindow::box = nullptr;

TEST_F(VirtualBoxWindow, IsATopmostWindowThatAClickNeverActivates)
{
    const HWND window = box->Window();
    EXPECT_EQ(TextOf(window), L"Virtuelle Eingabebox");
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_EQ(::SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    for (int input = 1; input <= 8; ++input) {
        EXPECT_EQ(TextOf(Item(kitsim::ui::idInputFirst + input - 1)), std::to_wstring(input));
        EXPECT_EQ(TextOf(Item(kitsim::ui::idLatchFirst + input - 1)), L"halten");
    }
    EXPECT_EQ(TextOf(Item(kitsim::ui::idPlugged)), L"Eingesteckt");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idEightInputs)), L"KT8 (8 Eingänge)");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idSixInputs)), L"KT6 (6 Eingänge)");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idReadsFail)), L"Lesefehler");
}

TEST_F(VirtualBoxWindow, InputIsHeldWhileTheMouseHoldsItsButton)
{
    const HWND button = Item(kitsim::ui::idInputFirst + 1);  // input 2
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x02u; }));
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x02u) << "held for as long as the button is";
    {
        OpenSet set;
        EXPECT_EQ(Read(kit.device(1)).value, 0xFFFFFDFDu);
    }
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; }));
}

TEST_F(VirtualBoxWindow, RealMouseClickHoldsTheInputAndLeavesTheKeyboardToTheWindowInFront)
{
    testsupport::TargetWindow target;
    // Beside the target window, not under it.
    ::SetWindowPos(box->Window(), nullptr, 40, 540, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(target.Activate());
    testsupport::Pump(100);

    // Wine can draw a window that just became the foreground window over a
    // topmost one for a moment; give the box time to put itself back on top.
    testsupport::Pump(400);

    RECT bounds;
    const HWND input4 = Item(kitsim::ui::idInputFirst + 3);
    ::GetWindowRect(input4, &bounds);
    const POINT middle{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ASSERT_TRUE(testsupport::MoveCursor(middle));

    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HWND under = ::WindowFromPoint(middle);
    ::SendInput(1, &down, sizeof down);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x08u; }))
        << "held by the mouse; in front: " << testsupport::ForegroundDescription() << "; cursor at "
        << cursor.x << "," << cursor.y << " (wanted " << middle.x << "," << middle.y << ") over "
        << testsupport::WindowDescription(under) << " in "
        << testsupport::WindowDescription(::GetAncestor(under, GA_ROOT));
    ::SendInput(1, &up, sizeof up);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; })) << "let go with the mouse";
    testsupport::Pump(100);
    EXPECT_EQ(::GetForegroundWindow(), target.Handle()) << "the click must not activate the virtual box";

    // A key still goes to the window in front.
    target.Clear();
    INPUT keys[2]{};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = 'K';
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof keys[0]);
    PumpUntil([&] { return target.Received().size() >= 2; }, 3000);
    EXPECT_EQ(target.Describe(), "KD 4B KU 4B");
}

TEST_F(VirtualBoxWindow, LatchKeepsTheInputHeldUntilUnticked)
{
    const HWND latch = Item(kitsim::ui::idLatchFirst + 4);  // input 5
    PostClick(latch);
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x10u; }));
    EXPECT_EQ(::SendMessageW(latch, BM_GETCHECK, 0, 0), BST_CHECKED);
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x10u) << "still held without the mouse";

    // Pressing and letting go of the button itself keeps a latched input.
    const HWND button = Item(kitsim::ui::idInputFirst + 4);
    PostClick(button);
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x10u);

    PostClick(latch);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; }));
    EXPECT_EQ(::SendMessageW(latch, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Let go elsewhere (the command line): the tick goes too.
    PostClick(latch);
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x10u; }));
    control.devices[0].pressed.fetch_and(~0x10u);
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(latch, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    testsupport::Pump(200);
    EXPECT_EQ(control.devices[0].pressed.load(), 0u) << "the window does not hold it again";
}

TEST_F(VirtualBoxWindow, SixInputKindGreysInputsSevenAndEight)
{
    PostClick(Item(kitsim::ui::idSixInputs));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].idCode.load() == kitsim::idCodeSixInputs; }));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowEnabled(Item(kitsim::ui::idInputFirst + 6)); }));
    EXPECT_EQ(::SendMessageW(Item(kitsim::ui::idSixInputs), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Item(kitsim::ui::idEightInputs), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int input = 1; input <= 8; ++input) {
        const bool usable = input <= 6;
        EXPECT_EQ(::IsWindowEnabled(Item(kitsim::ui::idInputFirst + input - 1)) != FALSE, usable) << input;
        EXPECT_EQ(::IsWindowEnabled(Item(kitsim::ui::idLatchFirst + input - 1)) != FALSE, usable) << input;
    }
    // A greyed input cannot be pressed.
    PostClick(Item(kitsim::ui::idLatchFirst + 7));
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0u);

    PostClick(Item(kitsim::ui::idEightInputs));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].idCode.load() == kitsim::idCodeEightInputs; }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(Item(kitsim::ui::idInputFirst + 7)) != FALSE; }));
    EXPECT_TRUE(::IsWindowEnabled(Item(kitsim::ui::idLatchFirst + 6)));
}

TEST_F(VirtualBoxWindow, PlugSwitchUnplugsAndTellsTheWindows)
{
    DeviceChangeCounter counter;
    const HWND plugged = Item(kitsim::ui::idPlugged);
    EXPECT_EQ(::SendMessageW(plugged, BM_GETCHECK, 0, 0), BST_CHECKED);
    PostClick(plugged);
    ASSERT_TRUE(WaitFor([&] { return control.plugged.load() == 0u; }));
    EXPECT_TRUE(WaitFor([&] { return DeviceChangeCounter::count >= 1; })) << "WM_DEVICECHANGE broadcast";
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(plugged, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)).find(L"ausgesteckt") != std::wstring::npos; }));
    const int afterUnplug = DeviceChangeCounter::count;
    PostClick(plugged);
    ASSERT_TRUE(WaitFor([&] { return control.plugged.load() == 1u; }));
    EXPECT_TRUE(WaitFor([&] { return DeviceChangeCounter::count > afterUnplug; }));
}

TEST_F(VirtualBoxWindow, ReadsFailSwitchMakesReadsFail)
{
    OpenSet set;
    const Handle device = kit.device(1);
    PostClick(Item(kitsim::ui::idReadsFail));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].readsFail.load() == 1u; }));
    EXPECT_FALSE(Read(device).ok);
    PostClick(Item(kitsim::ui::idReadsFail));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].readsFail.load() == 0u; }));
    EXPECT_TRUE(Read(device).ok);
}

TEST_F(VirtualBoxWindow, ShowsChangesMadeElsewhere)
{
    control.devices[0].pressed = (1u << 0) | (1u << 3);  // inputs 1 and 4
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idHeld)) == L"1, 4"; }))
        << TextOf(Item(kitsim::ui::idHeld));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)) == L"0xFFFFF6FD"; }))
        << TextOf(Item(kitsim::ui::idValue));
    control.devices[0].pressed = 0;
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idHeld)) == L"keine"; }));

    control.devices[0].idCode = kitsim::idCodeSixInputs;
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(Item(kitsim::ui::idSixInputs), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)) == L"0xFFFFFFF9"; }));
    control.devices[0].readsFail = 1;
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)).find(L"Lesefehler") != std::wstring::npos; }));
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(Item(kitsim::ui::idReadsFail), BM_GETCHECK, 0, 0) == BST_CHECKED; }));

    {
        OpenSet set;
        for (int i = 0; i < 4; ++i) Read(kit.device(1));
    }
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idCalls)).find(L"4 gelesen (4 fehlgeschlagen)") !=
                                     std::wstring::npos; }))
        << TextOf(Item(kitsim::ui::idCalls));
}

TEST_F(VirtualBoxWindow, ClosingTheWindowLetsGoWhatItHeld)
{
    VirtualBoxProcess second;
    ASSERT_NE(second.Window(), nullptr);
    PostClick(second.Item(kitsim::ui::idLatchFirst + 2));  // input 3
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x04u; }));
    control.devices[0].pressed.fetch_or(0x40u);  // input 7, held by someone else
    EXPECT_TRUE(second.Close()) << "the window closes and the program ends with 0";
    EXPECT_EQ(control.devices[0].pressed.load(), 0x40u);
}

}  // namespace
