// The kit stand-in iowkit.dll as Kontakta calls it: its exports, the input
// value of each kind of box, and opening, closing, writing and the call log.
#include <windows.h>

#include <gtest/gtest.h>

#include "KitSimTestSupport.h"

namespace kitsimtest {
namespace {

// Exports

TEST_F(KitTest, LibraryComesFromTheProgramFolder)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(kit.module, path, MAX_PATH);
    EXPECT_EQ(_wcsicmp(std::wstring(path, length).c_str(), (testsupport::ProgramDirectory() + L"iowkit.dll").c_str()),
              0);
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

}  // namespace
}  // namespace kitsimtest
