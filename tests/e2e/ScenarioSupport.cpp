#include "ScenarioSupport.h"

#include "settings/ActionsRecord.h"
#include "settings/SettingsExtension.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

std::string ReadFile(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

kitsim::Control& Kit()
{
    static kitsim::Control* control = [] {
        kitsim::Control* opened = kitsim::OpenControl();
        kitsim::ResetControl(*opened);
        return opened;
    }();
    return *control;
}

std::string ShortSettingsFile()
{
    return std::string("\x01\x00\x00\x00", 4);
}

std::string QuietShortSettingsFile()
{
    return std::string(4, '\0');
}

::testing::AssertionResult InstallAndStart(Program& program, const InstallOptions& options)
{
    Install(options);
    if (!program.Start()) return ::testing::AssertionFailure() << "Kontakta.exe did not start";
    if (!program.WaitUntilRunning()) return ::testing::AssertionFailure() << "start-up did not finish";
    return ::testing::AssertionSuccess();
}

bool ConfirmMessage(const Program& program, const std::wstring& text)
{
    HWND box = nullptr;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf(program.Pid(), true))
                if (TitleOf(window) == L"Kontakta" && MessageTextOf(window) == text) return (box = window) != nullptr;
            return false;
        },
        10000);
    if (!box) return false;
    PressButton(box, IDOK);
    return true;
}

HWND OpenSheetFromTheIcon(Program& program)
{
    ::PostMessageW(program.MainWindow(), WM_USER + 100, 1, WM_LBUTTONDOWN);
    return FindWindowOf(program.Pid(), sheetCaption, 10000);
}

HWND CurrentPageOf(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Touch(int input, DWORD milliseconds)
{
    Kit().devices[0].pressed = 1u << (input - 1);
    testsupport::Pump(milliseconds);
    Kit().devices[0].pressed = 0;
}

void StartAfresh(testsupport::TargetWindow& target)
{
    testsupport::Pump(::GetDoubleClickTime() + 200);
    target.Clear();
}

LRESULT SendToProgram(Program& program, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(program.MainWindow(), message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &answer);
    return static_cast<LRESULT>(answer);
}

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

}  // namespace e2e
