// The message window, the splash, the message-pumping waits and the
// resources they are built from.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "TestSupport.h"
#include "app/CMsgBox.h"
#include "app/CStartPicture.h"
#include "win/Utilities.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

// A window that counts the WM_APP messages it gets.
class CountingWindow {
public:
    CountingWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KontaktaCountingWindow";
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    }
    ~CountingWindow() { ::DestroyWindow(window); }
    HWND window;
    static int count;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP) ++count;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};
int CountingWindow::count = 0;

TEST(WaitWithMessages, ZeroReturnsAtOnceWithoutDispatching)
{
    CountingWindow counter;
    CountingWindow::count = 0;
    ::PostMessageW(counter.window, WM_APP, 0, 0);
    const double start = testsupport::NowMilliseconds();
    WaitWithMessages(0);
    EXPECT_LT(testsupport::NowMilliseconds() - start, 20.0);
    EXPECT_EQ(CountingWindow::count, 0);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, counter.window, WM_APP, WM_APP, PM_NOREMOVE)) << "still queued";
}

TEST(WaitWithMessages, LastsAtLeastItsTimeAndDispatchesMessages)
{
    CountingWindow counter;
    CountingWindow::count = 0;
    for (int i = 0; i < 5; ++i) ::PostMessageW(counter.window, WM_APP, 0, 0);
    for (DWORD wait : {30u, 120u}) {
        const DWORD start = ::GetTickCount();
        WaitWithMessages(wait);
        EXPECT_GE(::GetTickCount() - start, wait);
    }
    EXPECT_EQ(CountingWindow::count, 5);
}

int nestedDispatched = 0;

TEST(WaitWithMessages, AWaitInsideADispatchedHandlerOnlySleeps)
{
    // The first wait dispatches a message whose handler waits again; the
    // inner wait must not dispatch the second message.
    struct Nested {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        {
            if (message == WM_APP + 1) {
                const int before = CountingWindow::count;
                WaitWithMessages(40);
                nestedDispatched = CountingWindow::count - before;
                return 0;
            }
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    };
    CountingWindow counter;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Nested::Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KontaktaNestedWait";
    ::RegisterClassW(&windowClass);
    HWND nested = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    CountingWindow::count = 0;
    nestedDispatched = -1;
    ::PostMessageW(nested, WM_APP + 1, 0, 0);
    ::PostMessageW(counter.window, WM_APP, 0, 0);
    WaitWithMessages(100);
    EXPECT_EQ(nestedDispatched, 0);
    EXPECT_EQ(CountingWindow::count, 1) << "the outer wait dispatches it afterwards";
    ::DestroyWindow(nested);
}

TEST(WaitForEventWithMessages, KeepsMessagesFlowingUntilTheEventIsSet)
{
    CountingWindow counter;
    CountingWindow::count = 0;
    const win::Handle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::thread other([&] {
        // Would hang forever if the waiting thread did not dispatch.
        ::SendMessageW(counter.window, WM_APP, 0, 0);
        ::SetEvent(event.Get());
    });
    EXPECT_TRUE(WaitForEventWithMessages(event.Get()));
    other.join();
    EXPECT_EQ(CountingWindow::count, 1);
}

class MessageWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(messages.Create()); }
    void TearDown() override { messages.DestroyWindow(); }
    CMsgBox messages;
};

TEST_F(MessageWindow, IsCreatedHiddenWithItsTitle)
{
    EXPECT_FALSE(::IsWindowVisible(messages.GetSafeHwnd()));
    EXPECT_EQ(win::GetText(messages.GetSafeHwnd()), L"Kontakta");
    EXPECT_EQ(win::GetItemText(messages.GetSafeHwnd(), IDOK), L"OK");
}

// The user-interface thread waits for a thread that shows a text, without
// dispatching anything, as the stop handshake does. A cross-thread window
// call inside ShowText would hang here.
TEST_F(MessageWindow, ShowTextFromAnotherThreadNeverWaitsForThisThread)
{
    const win::Handle finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread poller([&] {
        messages.ShowText(u"'X' konnte nicht geöffnet werden!");
        ::SetEvent(finished.Get());
    });
    const DWORD waited = ::WaitForSingleObject(finished.Get(), 5000);
    if (waited != WAIT_OBJECT_0) testsupport::Pump(1000);  // let the thread out before failing
    poller.join();
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "ShowText blocked on the user-interface thread";

    ASSERT_TRUE(testsupport::PumpUntil([&] { return ::IsWindowVisible(messages.GetSafeHwnd()) != FALSE; }, 3000));
    EXPECT_EQ(messages.ShownText(), L"'X' konnte nicht geöffnet werden!");
}

TEST_F(MessageWindow, OkAndTheCloseBoxHideItAndTheNextTextShowsItAgain)
{
    messages.ShowText(u"eins");
    EXPECT_TRUE(::IsWindowVisible(messages.GetSafeHwnd()));
    ::SendMessageW(messages.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindowVisible(messages.GetSafeHwnd()));
    messages.ShowText(u"zwei");
    EXPECT_TRUE(::IsWindowVisible(messages.GetSafeHwnd()));
    EXPECT_EQ(messages.ShownText(), L"zwei");
    // The dialog manager turns a close request into a posted cancel.
    ::SendMessageW(messages.GetSafeHwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(messages.GetSafeHwnd()); }, 2000));
    EXPECT_NE(messages.GetSafeHwnd(), nullptr) << "the window stays for the next message";
}

TEST(StartPicture, ShowsItsPictureAndTheStatusLine)
{
    CStartPicture splash;
    ASSERT_TRUE(splash.Create());
    EXPECT_FALSE(::IsWindowVisible(splash.GetSafeHwnd()));
    splash.ShowStatus(L"Kontakta Version: 3.2 wird gestartet...");
    EXPECT_TRUE(::IsWindowVisible(splash.GetSafeHwnd()));
    EXPECT_EQ(win::GetItemText(splash.GetSafeHwnd(), IDC_SPLASH_STATUS), L"Kontakta Version: 3.2 wird gestartet...");
    EXPECT_FALSE(::IsWindowEnabled(splash.GetSafeHwnd())) << "the splash takes no input";

    HWND picture = ::GetWindow(splash.GetSafeHwnd(), GW_CHILD);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "bitmap 139 is shown";
    splash.DestroyWindow();
    EXPECT_EQ(splash.GetSafeHwnd(), nullptr);
}

TEST(Resources, HiddenWindowTemplateHasItsTitleAndButtons)
{
    class Hidden : public win::Dialog {
    public:
        Hidden() : win::Dialog(IDD_HIDDEN_WINDOW) {}
    } hidden;
    ASSERT_TRUE(hidden.Create());
    EXPECT_FALSE(::IsWindowVisible(hidden.GetSafeHwnd()));
    EXPECT_EQ(win::GetText(hidden.GetSafeHwnd()), L"Dialog");
    EXPECT_EQ(win::GetItemText(hidden.GetSafeHwnd(), IDOK), L"OK");
    EXPECT_EQ(win::GetItemText(hidden.GetSafeHwnd(), IDCANCEL), L"Abbrechen");
    RECT units{0, 0, 186, 90}, pixels;
    ::MapDialogRect(hidden.GetSafeHwnd(), &units);
    ::GetClientRect(hidden.GetSafeHwnd(), &pixels);
    EXPECT_EQ(pixels.right, units.right);
    EXPECT_EQ(pixels.bottom, units.bottom);
    hidden.DestroyWindow();
}

TEST(Resources, BeepIsA100MillisecondMonoClipOf16BitPcmAt22050Hertz)
{
    const HRSRC found = ::FindResourceW(nullptr, L"Beep", L"WAVE");
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(::LockResource(::LoadResource(nullptr, found)));
    const DWORD size = ::SizeofResource(nullptr, found);
    ASSERT_GT(size, 44u);
    ASSERT_EQ(std::memcmp(bytes, "RIFF", 4), 0);
    ASSERT_EQ(std::memcmp(bytes + 8, "WAVE", 4), 0);
    auto u16 = [&](size_t at) { return unsigned(bytes[at] | bytes[at + 1] << 8); };
    auto u32 = [&](size_t at) { return DWORD(u16(at) | u16(at + 2) << 16); };
    size_t at = 12, dataBytes = 0;
    unsigned format = 0, channels = 0, bits = 0;
    DWORD rate = 0;
    while (at + 8 <= size) {
        const DWORD chunk = u32(at + 4);
        if (std::memcmp(bytes + at, "fmt ", 4) == 0) {
            format = u16(at + 8);
            channels = u16(at + 10);
            rate = u32(at + 12);
            bits = u16(at + 22);
        } else if (std::memcmp(bytes + at, "data", 4) == 0) {
            dataBytes = chunk;
        }
        at += 8 + chunk + (chunk & 1);
    }
    EXPECT_EQ(format, 1u) << "PCM";
    EXPECT_EQ(channels, 1u);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(dataBytes, 2205u * 2) << "100 ms";
}

TEST(Resources, IconsBitmapsAndTheTrayMenuExist)
{
    EXPECT_NE(::LoadIconW(win::ResourceModule(), MAKEINTRESOURCEW(IDI_KONTAKTA)), nullptr);
    EXPECT_NE(::LoadIconW(win::ResourceModule(), MAKEINTRESOURCEW(IDI_KONTAKTA_MISSING)), nullptr);
    EXPECT_NE(::LoadIconW(win::ResourceModule(), MAKEINTRESOURCEW(IDI_KONTAKTA_PAUSED)), nullptr);
    const win::Bitmap logo(::LoadBitmapW(win::ResourceModule(), MAKEINTRESOURCEW(IDB_LOGO)));
    ASSERT_TRUE(logo);
    BITMAP info;
    ::GetObjectW(logo.Get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 75);
    EXPECT_EQ(info.bmHeight, 38);

    HMENU menu = ::LoadMenuW(win::ResourceModule(), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = ::GetSubMenu(menu, 0);
    ASSERT_EQ(::GetMenuItemCount(popup), 6);
    const std::pair<const wchar_t*, UINT> items[] = {
        {L"B&eenden", ID_EXIT},
        {nullptr, 0},
        {L"Sensoren pausieren", ID_PAUSE_SENSORS},
        {L"Alle Tasten loslassen", ID_RELEASE_ALL},
        {nullptr, 0},
        {L"Einstellungen", ID_SETTINGS},
    };
    for (int position = 0; position < 6; ++position) {
        const auto& [name, id] = items[position];
        if (!name) {
            EXPECT_EQ(::GetMenuState(popup, position, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR)) << position;
            continue;
        }
        wchar_t text[64];
        ::GetMenuStringW(popup, position, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), name);
        EXPECT_EQ(::GetMenuItemID(popup, position), id);
    }
    EXPECT_EQ(::GetMenuDefaultItem(popup, FALSE, 0), UINT(-1)) << "no default item";
    ::DestroyMenu(menu);
}

// The owners of the framework close what they hold once, hand their place
// to a function's out-parameter, and move.
TEST(HandleOwners, CloseOnceTakeOutParametersAndMove)
{
    const HANDLE self = ::GetCurrentProcess();
    const win::Handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    win::Handle copy;
    ASSERT_TRUE(::DuplicateHandle(self, event.Get(), self, copy.Put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
    const HANDLE first = copy.Get();
    DWORD flags = 0;
    EXPECT_TRUE(::GetHandleInformation(first, &flags));
    copy.Reset();
    EXPECT_FALSE(::GetHandleInformation(first, &flags)) << "closed by Reset";
    ASSERT_TRUE(::DuplicateHandle(self, event.Get(), self, copy.Put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
    const HANDLE second = copy.Get();
    {
        win::Handle taken(std::move(copy));
    }
    EXPECT_FALSE(copy);
    EXPECT_FALSE(::GetHandleInformation(second, &flags)) << "closed by the owner it moved to";

    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    {
        win::ProcessInformation started;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + testsupport::ProgramDirectory() + L"kontakta_marker.exe\"";
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     started.Put()));
        win::ProcessInformation moved(std::move(started));
        EXPECT_FALSE(started);
        EXPECT_EQ(started.Process(), nullptr);
        process = moved.Process();
        thread = moved.Thread();
        EXPECT_NE(moved.ProcessId(), 0u);
        moved.CloseThread();
        EXPECT_FALSE(::GetHandleInformation(thread, &flags));
        EXPECT_EQ(::WaitForSingleObject(moved.Process(), 10000), WAIT_OBJECT_0);
    }
    EXPECT_FALSE(::GetHandleInformation(process, &flags)) << "the process handle goes with its owner";

    // The screen's device context, and a font selected into a memory one
    // only for the guard's life.
    EXPECT_GT(::GetDeviceCaps(win::WindowDC(nullptr).Get(), LOGPIXELSY), 0);
    const win::MemoryDC dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const win::Font font(::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    ASSERT_TRUE(font);
    const HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    {
        const win::SelectGuard selected(dc.Get(), font.Get());
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), font.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
}

}  // namespace
