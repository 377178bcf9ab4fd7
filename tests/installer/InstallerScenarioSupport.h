// What the setup's scenarios share: running the setup and the uninstaller
// silently, the Start menu and its shortcuts, directories of a given length,
// and the fixture with the kit stand-in and Kontakta started from the
// installation.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "E2eSupport.h"
#include "InstallerSupport.h"
#include "KitSimControl.h"

namespace installertest {

inline const std::wstring readableTip = L"KORVA Kontakta";
inline const std::wstring activeSetupName = L"KORVA Kontakta – Einrichtung für Benutzer";

inline std::optional<DWORD> InstallSilently(const std::wstring& setup, const std::wstring& arguments = L"")
{
    return RunToEnd(L"\"" + setup + L"\" /S" + arguments);
}

// Uninstalls with the command the uninstall entry gives administrators.
inline std::optional<DWORD> UninstallSilently()
{
    const std::optional<std::wstring> command = ReadString(HKEY_LOCAL_MACHINE, uninstallKey, L"QuietUninstallString");
    if (!command) return std::nullopt;
    return RunToEnd(Expand(*command));
}

inline std::wstring StartMenuFolder()
{
    wchar_t programs[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE);
    return std::wstring(programs) + L"\\Kontakta\\";
}

// The program a shortcut starts; empty if it cannot be read.
inline std::wstring ShortcutTarget(const std::wstring& shortcut)
{
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return {};
    std::wstring target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

// A directory of exactly `length` characters under C:\Kontakta Test.
inline std::wstring DirectoryOfLength(size_t length)
{
    std::wstring path = L"C:\\Kontakta Test";
    while (path.size() < length) {
        const size_t left = length - path.size();
        if (left >= 2) {
            path += L'\\';
            path += std::wstring(std::min<size_t>(left - 1, 40), L'v');
        } else {
            path += L'v';
        }
    }
    return path;
}

inline std::wstring Join(const std::vector<std::wstring>& texts)
{
    std::wstring joined;
    for (const std::wstring& text : texts) joined += L"[" + text + L"] ";
    return joined;
}

inline std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

inline FILETIME LongAgo()
{
    SYSTEMTIME time{};
    time.wYear = 2001;
    time.wMonth = 1;
    time.wDay = 1;
    FILETIME longAgo{};
    ::SystemTimeToFileTime(&time, &longAgo);
    return longAgo;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(BuiltSetup().empty()) << "KONTAKTA_SETUP is not set: run the scenario through run-installer-test";
        kit = kitsim::OpenControl();
        ASSERT_NE(kit, nullptr);
        kitsim::ResetControl(*kit);
    }

    // Starts the installed Kontakta and waits until it runs; false (with the
    // reason added to the test's failures) if it did not, or showed a message.
    static bool StartsWithoutMessage(Kontakta& program)
    {
        if (!program.Start()) {
            ADD_FAILURE() << "Kontakta.exe could not be started";
            return false;
        }
        std::vector<std::wstring> messages;
        const bool running = program.WaitUntilRunning(20000, &messages);
        EXPECT_TRUE(running) << "start-up did not finish; messages: " << Narrow(Join(messages));
        EXPECT_TRUE(messages.empty()) << Narrow(Join(messages));
        return running && messages.empty();
    }

    static void CloseCleanly(Kontakta& program)
    {
        ::PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(15000), std::optional<DWORD>(0));
    }

    kitsim::Control* kit = nullptr;
};

}  // namespace installertest
