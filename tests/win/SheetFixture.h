// What the settings sheet's tests share: the sheet's services faked, a script
// of steps run by a thread timer of the test's own thread inside the sheet's
// modal loop, as that loop dispatches it, and the fixture.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SensorRecords.h"
#include "TestSupport.h"
#include "sensors/SensorAction.h"
#include "sensors/SensorActivity.h"
#include "settings/LiveProfiles.h"
#include "ui/CSetup.h"
#include "ui/SensorRows.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;  // the tests speak of the core by its plain names

class FakeServices : public SheetServices {
public:
    bool BoxUnreadable() override { return unreadable; }
    int32_t DeviceKindNow() override { return kind; }
    int32_t RowsDeviceKind() override { return lastOpen.Note(kind); }
    bool SaveSettings() override
    {
        ++saves;
        return saveSucceeds;
    }
    std::u16string SettingsFileName() override { return u"C:\\settings.dat"; }
    kontakta::ProfileStore Profiles() override
    {
        kontakta::ProfileStore now = profiles;
        now.SetActiveSettings(kontakta::LiveSettings());
        return now;
    }
    bool ApplyProfiles(const kontakta::ProfileStore& edited) override
    {
        ++applies;
        ++saves;
        if (!saveSucceeds) return false;
        profiles = edited;
        kontakta::PutLiveSettings(edited.Active().settings);
        return true;
    }

    bool unreadable = false;
    int32_t kind = 1;
    int saves = 0;
    int applies = 0;
    bool saveSucceeds = true;
    LastOpenKind lastOpen;
    kontakta::ProfileStore profiles;
};

// Runs `steps` in order while a modal loop of this thread runs: every 50 ms
// the current step is called until it returns true. A step that opens a modal
// window must post what opens it, so that the steps go on inside that window's
// loop. Gives up after `timeout` milliseconds.
class Script {
public:
    explicit Script(std::vector<std::function<bool()>> steps, DWORD timeout = 20000) : steps(std::move(steps))
    {
        current = this;
        deadline = ::GetTickCount() + timeout;
        timer = ::SetTimer(nullptr, 0, 50, &Script::Tick);
    }
    ~Script()
    {
        ::KillTimer(nullptr, timer);
        current = nullptr;
    }
    bool Finished() const { return next == steps.size(); }
    size_t StepReached() const { return next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        Script* self = current;
        if (!self || self->busy || self->Finished()) return;
        self->busy = true;
        if (self->steps[self->next]())
            ++self->next;
        else if (::GetTickCount() > self->deadline)
            self->next = self->steps.size() + 1;  // gives up
        self->busy = false;
    }
    inline static Script* current = nullptr;
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    bool busy = false;
    DWORD deadline = 0;
    UINT_PTR timer = 0;
};

inline std::wstring Text(HWND dialog, int id)
{
    return win::GetItemText(dialog, id);
}

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults();
        exceptionsBefore = win::ReportedExceptionCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(win::ReportedExceptionCount(), exceptionsBefore) << "an exception reached a window procedure";
        ResetSettingsToDefaults();
    }
    long exceptionsBefore = 0;
    FakeServices services;
};
