// The framework under the program's windows, tested directly: the lifetime of
// the objects bound to windows, the exception boundaries, the reflection of
// control messages, the owned handles, and the keyboard of a dialog with a
// panel. Plain framework objects on the program's own templates.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "win/Control.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/PropertySheet.h"

namespace {

constexpr UINT throwPlease = WM_APP + 7;
constexpr UINT objectGone = 0xFFFFFFFF;  // written into the journal by a destructor
std::vector<UINT> journal;

// Writes every message it is handed into the journal; throws where asked.
class RecordingDialog : public win::Dialog {
public:
    explicit RecordingDialog(UINT templateId = IDD_EDIT_ACTION) : win::Dialog(templateId) {}
    ~RecordingDialog() override { journal.push_back(objectGone); }
    std::vector<WORD> commands;  // the clicks

protected:
    BOOL OnInitDialog() override { return FALSE; }
    bool OnCommand(WORD id, WORD code, HWND) override
    {
        if (code == BN_CLICKED) commands.push_back(id);  // not the focus notifications
        if (id == 7777) throw std::runtime_error("command");
        return false;
    }
    INT_PTR OnMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        journal.push_back(message);
        if (message == throwPlease) throw std::runtime_error("dialog");
        handled = false;
        return 0;
    }
};

class RecordingControl : public win::Control {
public:
    ~RecordingControl() override { journal.push_back(objectGone); }
    HBRUSH brush = nullptr;
    bool PreTranslate(MSG& message) override
    {
        if (message.wParam == 'T') throw std::runtime_error("pre-translate");
        return false;
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        journal.push_back(message);
        if (message == throwPlease) throw std::runtime_error("subclass");
        handled = false;
        return 0;
    }
    LRESULT OnReflected(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        handled = true;
        if (message == WM_CTLCOLORSTATIC && brush) return reinterpret_cast<LRESULT>(brush);
        if (message == WM_NOTIFY) return 42;
        if (message == WM_CTLCOLOREDIT) throw std::runtime_error("reflected");
        handled = false;
        return 0;
    }
};

class Framework : public ::testing::Test {
protected:
    void SetUp() override
    {
        journal.clear();
        exceptionsBefore = win::ReportedExceptionCount();
    }
    long NewExceptions() const { return win::ReportedExceptionCount() - exceptionsBefore; }
    long exceptionsBefore = 0;
};

TEST_F(Framework, ObjectsReceiveNoMessageAfterWmNcDestroyOrOnceTheyAreGone)
{
    {
        RecordingDialog dialog;
        ASSERT_TRUE(dialog.Create());
        RecordingControl combo;
        ASSERT_TRUE(combo.Subclass(dialog.GetSafeHwnd(), IDC_GROUP_COMBO));
        const HWND comboWindow = combo.GetSafeHwnd();
        EXPECT_EQ(win::Control::FromWindow(comboWindow), &combo);
        journal.clear();
        dialog.DestroyWindow();
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
        EXPECT_EQ(combo.GetSafeHwnd(), nullptr) << "the control lets go of its window";
        EXPECT_FALSE(::IsWindow(comboWindow));
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(journal.back(), UINT(WM_NCDESTROY)) << "the dialog's last message";
        journal.clear();
    }
    EXPECT_EQ(journal.size(), 2u) << "the two destructors, and no message after them";

    // An object that goes while its window is alive: the window goes with it,
    // and not one of its last messages reaches the half-destroyed object.
    HWND window = nullptr;
    {
        RecordingDialog dialog;
        ASSERT_TRUE(dialog.Create());
        window = dialog.GetSafeHwnd();
        journal.clear();
    }
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(journal, std::vector<UINT>{objectGone});

    // A control object that goes before its window leaves the window alone.
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND comboWindow = ::GetDlgItem(dialog.GetSafeHwnd(), IDC_GROUP_COMBO);
    {
        RecordingControl combo;
        ASSERT_TRUE(combo.Subclass(dialog.GetSafeHwnd(), IDC_GROUP_COMBO));
    }
    journal.clear();
    ::SendMessageW(comboWindow, WM_USER + 3, 0, 0);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(win::Control::FromWindow(comboWindow), nullptr);
}

class ThrowingSheet : public win::PropertySheet {
public:
    ThrowingSheet() : win::PropertySheet(L"Probe") { AddPage(page); }

protected:
    void OnInitDialog() override
    {
        ::PostMessageW(hwnd, throwPlease, 0, 0);
        ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        throw std::runtime_error("sheet initialisation");
    }
    LRESULT OnMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        if (message == throwPlease) throw std::runtime_error("sheet");
        handled = false;
        return 0;
    }

private:
    win::PropertyPage page{IDD_SETUP_INFO, L"Info"};
};

TEST_F(Framework, ExceptionsAreCaughtAndCountedAtEveryBoundaryOfOurs)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    RecordingControl combo;
    ASSERT_TRUE(combo.Subclass(dialog.GetSafeHwnd(), IDC_GROUP_COMBO));

    ::SendMessageW(dialog.GetSafeHwnd(), throwPlease, 0, 0);
    EXPECT_EQ(NewExceptions(), 1) << "dialog procedure";
    ::SendMessageW(dialog.GetSafeHwnd(), WM_COMMAND, 7777, 0);
    EXPECT_EQ(NewExceptions(), 2) << "dialog command";
    ::SendMessageW(combo.GetSafeHwnd(), throwPlease, 0, 0);
    EXPECT_EQ(NewExceptions(), 3) << "subclass procedure";
    ::SendMessageW(dialog.GetSafeHwnd(), WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(combo.GetSafeHwnd()));
    EXPECT_EQ(NewExceptions(), 4) << "reflected message";
    MSG key{combo.GetSafeHwnd(), WM_KEYDOWN, 'T', 0, 0, {}};
    win::Dialog::PreTranslate(key);
    EXPECT_EQ(NewExceptions(), 5) << "message loop";
    EXPECT_TRUE(::IsWindow(dialog.GetSafeHwnd())) << "the windows go on";

    // The sheet's window procedure and its initialisation callback.
    ThrowingSheet sheet;
    sheet.DoModal(nullptr);
    EXPECT_EQ(NewExceptions(), 7);
    exceptionsBefore = win::ReportedExceptionCount();
}

TEST_F(Framework, ReflectionGivesAControlsAnswerBackThroughItsDialog)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND dialogWindow = dialog.GetSafeHwnd();
    RecordingControl frame;
    ASSERT_TRUE(frame.Subclass(dialogWindow, IDC_PANEL_FRAME));
    win::Brush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    frame.brush = brush.Get();

    // A colour request returns the brush itself, the documented exception to
    // DWLP_MSGRESULT; a notification's answer comes through DWLP_MSGRESULT.
    const win::WindowDC windowDc(dialogWindow);
    const HDC dc = windowDc.Get();
    EXPECT_EQ(::SendMessageW(dialogWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(frame.GetSafeHwnd())),
              reinterpret_cast<LRESULT>(brush.Get()));
    NMHDR header{frame.GetSafeHwnd(), UINT_PTR(IDC_PANEL_FRAME), NM_CLICK};
    EXPECT_EQ(::SendMessageW(dialogWindow, WM_NOTIFY, IDC_PANEL_FRAME, reinterpret_cast<LPARAM>(&header)), 42);
    // A control that does not answer leaves the dialog's default brush.
    frame.brush = nullptr;
    EXPECT_NE(::SendMessageW(dialogWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(frame.GetSafeHwnd())),
              reinterpret_cast<LRESULT>(brush.Get()));
    EXPECT_EQ(NewExceptions(), 0);
}

TEST_F(Framework, OwnedHandlesCloseOnceWhenMovedAssignedOrReset)
{
    const auto alive = [](HGDIOBJ object) { return ::GetObjectType(object) != 0; };
    win::Brush first(::CreateSolidBrush(RGB(9, 9, 9)));
    const HBRUSH held = first.Get();
    win::Brush second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), held);
    {
        win::Brush third(::CreateSolidBrush(RGB(8, 8, 8)));
        const HBRUSH replaced = third.Get();
        third = std::move(second);
        EXPECT_FALSE(alive(replaced)) << "move assignment closes what it held";
        EXPECT_TRUE(alive(held));
        win::Brush& same = third;
        third = std::move(same);
        EXPECT_EQ(third.Get(), held) << "moving onto itself keeps the handle";
    }
    EXPECT_FALSE(alive(held)) << "closed when its last owner went";

    win::Handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE raw = event.Get();
    DWORD flags = 0;
    {
        win::Handle owner(std::move(event));
        ASSERT_TRUE(::GetHandleInformation(raw, &flags));
        win::Handle other(owner.Release());
        EXPECT_FALSE(owner);
        EXPECT_TRUE(::GetHandleInformation(raw, &flags)) << "Release hands the handle on without closing it";
    }
    EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "closed exactly by its last owner";
    win::File none;
    EXPECT_FALSE(none) << "INVALID_HANDLE_VALUE is no file";
}

TEST_F(Framework, KeyboardMovesFromAPanelsFieldToTheDialogsOkAndGivesEnterAndEscToTheDialog)
{
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    RecordingDialog panel(IDD_RUNFILE_PANEL);
    ASSERT_TRUE(panel.Create(dialog.GetSafeHwnd()));
    const HWND dialogWindow = dialog.GetSafeHwnd();
    ::SetWindowPos(panel.GetSafeHwnd(), ::GetDlgItem(dialogWindow, IDC_GROUP_COMBO), 16, 56, 300, 150,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
    ::ShowWindow(dialogWindow, SW_SHOW);
    ::SetForegroundWindow(dialogWindow);
    const HWND field = panel.Item(IDC_PATH_EDIT);
    const auto press = [](UINT key) {
        MSG message{::GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
        return win::Dialog::PreTranslate(message);
    };
    ::SetFocus(field);
    ASSERT_EQ(::GetFocus(), field);
    EXPECT_TRUE(press(VK_TAB));
    EXPECT_EQ(::GetFocus(), panel.Item(IDC_BROWSE));
    EXPECT_TRUE(press(VK_TAB));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialogWindow, IDOK)) << "from the panel on to the dialog's OK";

    ::SetFocus(field);
    EXPECT_TRUE(press(VK_RETURN));
    // A modeless dialog's OK only hides it.
    ::ShowWindow(dialogWindow, SW_SHOW);
    ::SetFocus(field);
    EXPECT_TRUE(press(VK_ESCAPE));
    EXPECT_EQ(dialog.commands, (std::vector<WORD>{IDOK, IDCANCEL})) << "Enter and Esc act on the dialog";
    EXPECT_TRUE(panel.commands.empty());
    // A command about a panel's control that reaches the dialog (the dialog
    // manager's Enter on a focused button) goes on to the panel.
    ::SendMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(panel.Item(IDC_BROWSE)));
    EXPECT_EQ(panel.commands, std::vector<WORD>{IDC_BROWSE});
    panel.DestroyWindow();
    EXPECT_EQ(NewExceptions(), 0);
}

// The page keys of a sheet: Ctrl+Tab and Ctrl+PgDn forward, Ctrl+Shift+Tab
// and Ctrl+PgUp back, round from the last page to the first; without CTRL,
// with ALT, or another key, the page stays.
TEST(SheetPageKeys, CtrlTabAndCtrlPageKeysStepRoundThePagesAndOtherKeysLeaveThePage)
{
    using win::PropertySheet;
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, false, false, 0, 3), 1u);
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, false, false, 2, 3), 0u) << "round to the first";
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, true, false, 0, 3), 2u) << "back to the last";
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_NEXT, true, false, false, 1, 3), 2u);
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_PRIOR, true, false, false, 1, 3), 0u);
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, false, false, false, 1, 3), 1u) << "Tab alone moves the focus";
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, false, true, 1, 3), 1u) << "with ALT";
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_DOWN, true, false, false, 1, 3), 1u);
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, false, false, 0, 0), 0u) << "no pages";
    EXPECT_EQ(PropertySheet::PageAfterKey(VK_TAB, true, false, false, size_t(-1), 3), size_t(-1)) << "no page";
}

}  // namespace
