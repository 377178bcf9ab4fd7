#include "KitSimCommands.h"

#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "BoxOperations.h"
#include "KitSimControl.h"

namespace kitsim {

namespace {

constexpr wchar_t usageText[] =
    L"kitsim - virtual input box for Kontakta (development and demo tool)\n"
    L"\n"
    L"Usage:\n"
    L"  kitsim                             open the virtual input box window\n"
    L"  kitsim press N [--device D]        hold input N (1..8)\n"
    L"  kitsim release N [--device D]      let go input N (1..8)\n"
    L"  kitsim plug | unplug               plug or unplug the boxes\n"
    L"  kitsim kind 8|6 [--device D]       eight-input (KT8) or six-input (KT6) box\n"
    L"  kitsim fail on|off [--device D]    make reads of the box fail, or not\n"
    L"  kitsim product ID [--device D]     product id of the box (e.g. 0x1501)\n"
    L"  kitsim raw VALUE|off [--device D]  reads give VALUE instead of the inputs\n"
    L"  kitsim devices K                   number of boxes when plugged (0..4)\n"
    L"  kitsim delay US                    every read takes US microseconds\n"
    L"  kitsim reset                       one plugged KT8 box, nothing held, counters cleared\n"
    L"  kitsim status                      print the boxes and the call counters\n"
    L"  kitsim serve                       hold the simulated boxes open until ended\n"
    L"  kitsim help                        this text\n"
    L"\n"
    L"D is the box number 1..4 (default 1). The simulated boxes exist only while\n"
    L"some program holds them open (the window, 'kitsim serve', Kontakta, a test);\n"
    L"a command run while none does changes nothing that lasts.\n";

// Where the text of a command goes: the redirected standard handle if there
// is one, else the console of the parent process, if it has one. A GUI
// program has neither by default, so nothing shows unless asked for.
HANDLE OutputHandle(DWORD which)
{
    HANDLE handle = ::GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE) return handle;
    static HANDLE console = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED)
            return INVALID_HANDLE_VALUE;
        return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

void Print(DWORD which, const std::wstring& text)
{
    HANDLE handle = OutputHandle(which);
    if (handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    // A pipe or a file: UTF-8 with the line ends Windows tools expect.
    std::wstring crlf;
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), bytes.data(), size, nullptr, nullptr);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int BadUsage(const std::wstring& problem)
{
    Print(STD_ERROR_HANDLE, L"kitsim: " + problem + L"\n\n" + usageText);
    return exitBadUsage;
}

// A whole unsigned number in `text` (decimal, or hexadecimal with 0x) within
// [low, high].
bool ParseNumber(const std::wstring& text, uint32_t low, uint32_t high, uint32_t& number)
{
    if (text.empty() || text[0] == L'-' || text[0] == L'+' || iswspace(text[0])) return false;
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::wcstoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != 0 || parsed < low || parsed > high) return false;
    number = static_cast<uint32_t>(parsed);
    return true;
}

std::wstring Hex(uint32_t value, int digits)
{
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%0*X", digits, value);
    return buffer;
}

std::wstring KindName(uint32_t idCode)
{
    if (idCode == idCodeEightInputs) return L"KT8 (id code 2)";
    if (idCode == idCodeSixInputs) return L"KT6 (id code 6)";
    return L"unknown (id code " + std::to_wstring(idCode) + L")";
}

std::wstring StatusText(const Control& control)
{
    std::wstring text;
    text += L"plugged: " + std::wstring(control.plugged.load() ? L"yes" : L"no") + L"\n";
    const uint32_t count = control.deviceCount.load();
    text += L"devices: " + std::to_wstring(count) + L"\n";
    for (uint32_t number = 1; number <= maxDevices && (number <= count || number == 1); ++number) {
        const Device& device = control.devices[number - 1];
        const std::wstring held = HeldInputsText(device.pressed.load());
        text += L"device " + std::to_wstring(number) + L": " + KindName(device.idCode.load()) + L", product " +
                Hex(device.productId.load() & 0xFFFF, 4) + L", serial " + std::wstring(device.serial, 8) + L", held: " +
                (held.empty() ? L"none" : held);
        uint32_t value = 0;
        text += L", value " + (CurrentInputValue(control, number, value) ? Hex(value, 8) : std::wstring(L"-"));
        if (device.readsFail.load()) text += L", reads fail";
        if (device.rawOverride.load()) text += L", raw " + Hex(device.rawValue.load(), 8);
        text += L"\n";
    }
    text += L"calls: opens " + std::to_wstring(control.opens.load()) + L", closes " +
            std::to_wstring(control.closes.load()) + L", reads " + std::to_wstring(control.reads.load()) +
            L", failed reads " + std::to_wstring(control.failedReads.load()) + L", writes " +
            std::to_wstring(control.writes.load()) + L", on released handles " +
            std::to_wstring(control.callsOnReleasedHandles.load()) + L"\n";
    text += L"read delay: " + std::to_wstring(control.readDelayMicroseconds.load()) + L" us\n";
    return text;
}

}  // namespace

int RunCommand(int count, wchar_t** arguments)
{
    std::vector<std::wstring> words;
    uint32_t device = 1;
    bool deviceGiven = false;
    for (int i = 0; i < count; ++i) {
        const std::wstring word = arguments[i];
        if (word == L"--device") {
            if (deviceGiven || i + 1 >= count || !ParseNumber(arguments[i + 1], 1, maxDevices, device))
                return BadUsage(L"--device needs a box number 1..4");
            deviceGiven = true;
            ++i;
        } else {
            words.push_back(word);
        }
    }
    if (words.empty()) return BadUsage(L"no command");
    const std::wstring& command = words[0];
    if (command == L"help" || command == L"--help" || command == L"-h" || command == L"/?") {
        Print(STD_OUTPUT_HANDLE, usageText);
        return exitSuccess;
    }

    // Commands, their number of words after the command, and whether they
    // concern one box (and so take --device).
    struct Shape {
        const wchar_t* name;
        size_t arguments;
        bool perDevice;
    };
    static const Shape shapes[] = {
        {L"press", 1, true},  {L"release", 1, true}, {L"plug", 0, false},  {L"unplug", 0, false},  {L"kind", 1, true},
        {L"fail", 1, true},   {L"product", 1, true}, {L"raw", 1, true},    {L"devices", 1, false}, {L"delay", 1, false},
        {L"reset", 0, false}, {L"status", 0, false}, {L"serve", 0, false},
    };
    const Shape* shape = nullptr;
    for (const Shape& candidate : shapes) {
        if (command == candidate.name) shape = &candidate;
    }
    if (!shape) return BadUsage(L"unknown command '" + command + L"'");
    if (words.size() != shape->arguments + 1)
        return BadUsage(L"'" + command + L"' takes " + std::to_wstring(shape->arguments) + L" argument(s)");
    if (deviceGiven && !shape->perDevice) return BadUsage(L"'" + command + L"' does not take --device");
    const std::wstring argument = shape->arguments ? words[1] : std::wstring();

    // Check the arguments before touching the control, so a bad command
    // changes nothing.
    uint32_t number = 0;
    bool on = false;
    if (command == L"press" || command == L"release") {
        if (!ParseNumber(argument, 1, 8, number)) return BadUsage(L"input must be 1..8");
    } else if (command == L"kind") {
        if (argument == L"8")
            number = idCodeEightInputs;
        else if (argument == L"6")
            number = idCodeSixInputs;
        else
            return BadUsage(L"kind must be 8 or 6");
    } else if (command == L"fail") {
        if (argument != L"on" && argument != L"off") return BadUsage(L"fail takes on or off");
        on = argument == L"on";
    } else if (command == L"product") {
        if (!ParseNumber(argument, 0, 0xFFFF, number)) return BadUsage(L"product id must be 0..0xFFFF");
    } else if (command == L"raw") {
        on = argument != L"off";
        if (on && !ParseNumber(argument, 0, 0xFFFFFFFF, number)) return BadUsage(L"raw takes a value or off");
    } else if (command == L"devices") {
        if (!ParseNumber(argument, 0, maxDevices, number)) return BadUsage(L"devices must be 0..4");
    } else if (command == L"delay") {
        if (!ParseNumber(argument, 0, 10000000, number)) return BadUsage(L"delay must be 0..10000000 us");
    }

    const bool heldElsewhere = [] {
        HANDLE existing = ::OpenFileMappingW(FILE_MAP_READ, FALSE, mappingName);
        if (existing) ::CloseHandle(existing);
        return existing != nullptr;
    }();
    Control* control = OpenControl();
    if (!control) {
        Print(STD_ERROR_HANDLE, L"kitsim: the shared control could not be opened\n");
        return exitFailure;
    }
    Device& box = control->devices[device - 1];

    if (command == L"press" || command == L"release")
        SetInputHeld(*control, device, number, command == L"press");
    else if (command == L"plug" || command == L"unplug")
        SetPlugged(*control, command == L"plug");
    else if (command == L"kind")
        box.idCode.store(number);
    else if (command == L"fail")
        box.readsFail.store(on ? 1 : 0);
    else if (command == L"product")
        box.productId.store(number);
    else if (command == L"raw") {
        if (on) box.rawValue.store(number);
        box.rawOverride.store(on ? 1 : 0);
    } else if (command == L"devices")
        SetDeviceCount(*control, number);
    else if (command == L"delay")
        control->readDelayMicroseconds.store(number);
    else if (command == L"reset")
        ResetControl(*control);
    else if (command == L"status") {
        Print(STD_OUTPUT_HANDLE, StatusText(*control));
        return exitSuccess;
    } else if (command == L"serve") {
        for (;;) ::Sleep(INFINITE);
    }

    if (!heldElsewhere) {
        Print(STD_ERROR_HANDLE,
              L"kitsim: note: no other program holds the simulated boxes open, so this change ends with this "
              L"command. Start the virtual input box or 'kitsim serve' first.\n");
    }
    return exitSuccess;
}

}  // namespace kitsim
