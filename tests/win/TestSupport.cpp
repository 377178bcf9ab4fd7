#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

double NowMilliseconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump(DWORD milliseconds)
{
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) return true;
        if (::GetTickCount() - start >= timeoutMilliseconds) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

namespace {
constexpr wchar_t targetClass[] = L"KontaktaTestTarget";

// Wine reports the left or right modifier key where Windows reports the
// generic one that was sent; compare the generic ones.
WPARAM GenericKey(WPARAM key)
{
    switch (key) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    }
    return key;
}
}  // namespace

TargetWindow::TargetWindow()
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = targetClass;
    ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
    window = ::CreateWindowExW(WS_EX_TOPMOST, targetClass, L"Kontakta test target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               100, 100, 500, 400, nullptr, nullptr, windowClass.hInstance, this);
    Activate();
}

TargetWindow::~TargetWindow()
{
    if (window) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
    Pump(20);
}

bool TargetWindow::Activate()
{
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetForegroundWindow(window);
    ::SetFocus(window);
    RECT rect;
    ::GetWindowRect(window, &rect);
    MoveCursor({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    return PumpUntil([this] { return ::GetForegroundWindow() == window; }, 2000);
}

bool MoveCursor(POINT to)
{
    // Wine moves the pointer of the X server; a move still on its way back from
    // an earlier call can put the cursor where it was. Set it until it stays.
    DWORD since = 0;
    bool there = false;
    return PumpUntil(
        [&] {
            POINT now{};
            ::GetCursorPos(&now);
            if (now.x == to.x && now.y == to.y) {
                if (!there) since = ::GetTickCount();
                there = true;
                return ::GetTickCount() - since >= 100;
            }
            there = false;
            ::SetCursorPos(to.x, to.y);
            return false;
        },
        3000);
}

std::vector<UINT> TargetWindow::Messages() const
{
    std::vector<UINT> messages;
    for (const ReceivedInput& input : received) messages.push_back(input.message);
    return messages;
}

std::string TargetWindow::Describe() const
{
    std::string text;
    char buffer[32];
    for (const ReceivedInput& input : received) {
        const char* name = "?";
        switch (input.message) {
        case WM_LBUTTONDOWN: name = "LDOWN"; break;
        case WM_LBUTTONUP: name = "LUP"; break;
        case WM_LBUTTONDBLCLK: name = "LDBL"; break;
        case WM_RBUTTONDOWN: name = "RDOWN"; break;
        case WM_RBUTTONUP: name = "RUP"; break;
        case WM_RBUTTONDBLCLK: name = "RDBL"; break;
        case WM_MBUTTONDOWN: name = "MDOWN"; break;
        case WM_MBUTTONUP: name = "MUP"; break;
        case WM_MBUTTONDBLCLK: name = "MDBL"; break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: name = "KD"; break;
        case WM_KEYUP:
        case WM_SYSKEYUP: name = "KU"; break;
        case WM_MOUSEWHEEL: name = "WHEEL"; break;
        case WM_MOUSEHWHEEL: name = "HWHEEL"; break;
        }
        if (!text.empty()) text += ' ';
        text += name;
        if (input.message >= WM_KEYFIRST && input.message <= WM_KEYLAST) {
            snprintf(buffer, sizeof buffer, " %02X", static_cast<unsigned>(input.key));
            text += buffer;
        } else if (input.message == WM_MOUSEWHEEL || input.message == WM_MOUSEHWHEEL) {
            snprintf(buffer, sizeof buffer, " %+d", static_cast<int>(static_cast<short>(input.key)));
            text += buffer;
        }
    }
    return text;
}

LRESULT CALLBACK TargetWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TargetWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            self->received.push_back({message, message >= WM_KEYFIRST ? GenericKey(wParam) : 0, NowMilliseconds()});
            break;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            // The notch's signed distance, in units of WHEEL_DELTA.
            self->received.push_back({message,
                                      static_cast<WPARAM>(static_cast<uint16_t>(GET_WHEEL_DELTA_WPARAM(wParam))),
                                      NowMilliseconds()});
            return 0;
        }
        // ALT alone would open the (absent) window menu and take the focus.
        if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR) return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

std::wstring MakeTempDirectory(const std::wstring& name)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring directory = std::wstring(temp) + name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(directory.c_str(), nullptr);
    return directory;
}

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string WindowDescription(HWND window)
{
    if (!window) return "none";
    char title[128] = {}, className[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    ::GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return std::string("'") + title + "' [" + className + "] process " + std::to_string(process);
}

std::string ForegroundDescription()
{
    const auto describe = WindowDescription;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(0, &info);
    return describe(::GetForegroundWindow()) + ", focus " + describe(info.hwndFocus) + ", this process " +
           std::to_string(::GetCurrentProcessId());
}

HWND FindVisibleWindow(const std::wstring& title)
{
    HWND window = ::FindWindowW(nullptr, title.c_str());
    return window && ::IsWindowVisible(window) ? window : nullptr;
}

}  // namespace testsupport
