// The Windows program: start-up, the main window and its message handler, painting through the
// GDI renderer, and the window host the portable input handling calls.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "app/frame_hook.h"
#include "app/input.h"
#include "app/scan_worker.h"
#include "app/window_host.h"
#include "state/app_state.h"
#include "ui/display_list.h"
#include "ui/frame.h"
#include "ui/render_gdi.h"

namespace corvanite {
namespace {

constexpr wchar_t WINDOW_CLASS[] = L"CorvaniteWnd";
constexpr wchar_t WINDOW_TITLE[] = L"Corvanite";
constexpr UINT_PTR TIMER_TICK = 1;

// The window program's own handles: the main window and the two fonts it paints with.
HWND mainWindow = nullptr;
HFONT fontMain = nullptr;
HFONT fontLarge = nullptr;

HWND Window() {
    return mainWindow;
}

const wchar_t* Wide(std::u16string_view text, std::wstring& storage) {
    storage.assign(text.begin(), text.end());
    return storage.c_str();
}

// Client coordinates in lParam: the low and high words, each sign-extended.
Point PointOf(LPARAM lParam) {
    return Point{static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                 static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
}

Rect RectOf(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

void PaintFrame(HWND window) {
    PAINTSTRUCT paint;
    const HDC screen = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    static DisplayList list;  // their storage is kept from frame to frame
    static FrameOutput out;
    BuildFrame(list, out, width, height);
    CommitFrame(out);
    RenderDisplayList(memory, list, fontMain, fontLarge);
    BitBlt(screen, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
    NoteFramePainted(width, height);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            mainWindow = window;
            AttachMessageWindow(reinterpret_cast<PlatformHandle>(window));
            SetTimer(window, TIMER_TICK, TICK_MILLISECONDS, nullptr);
            return 0;
        case WM_DESTROY:
            KillTimer(window, TIMER_TICK);
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            RequestRepaint();
            return 0;
        case WM_PAINT:
            PaintFrame(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = MIN_WINDOW_WIDTH;
            info->ptMinTrackSize.y = MIN_WINDOW_HEIGHT;
            return 0;
        }
        case WM_KEYDOWN:
            OnKeyDown(static_cast<uint32_t>(wParam));
            return 0;
        case WM_TIMER:
            OnTimerTick();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(PointOf(lParam), (wParam & MK_LBUTTON) != 0);
            return 0;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnLeftButtonUp(PointOf(lParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(static_cast<int16_t>(HIWORD(static_cast<DWORD>(wParam))));
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case MSG_CHKDSK_EVENT:
            OnChkdskEvent(static_cast<uintptr_t>(wParam));
            return 0;
        case MSG_SCAN_DONE:
            HandleScanDone();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

Rect MainWindowBounds() {
    RECT r{};
    GetWindowRect(Window(), &r);
    return RectOf(r);
}

void MoveMainWindow(int32_t x, int32_t y) {
    SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void PlaceMainWindow(Rect bounds) {
    SetWindowPos(Window(), nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                 SWP_NOZORDER);
    // The cursor may now be outside the window without having moved: ask for the leave notice
    // again, which arrives at once in that case, so no button keeps its hover look.
    TrackMouseLeave();
}

Point ClientToScreen(Point client) {
    POINT p{client.x, client.y};
    ::ClientToScreen(Window(), &p);
    return Point{p.x, p.y};
}

Rect MonitorWorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(Window(), MONITOR_DEFAULTTONEAREST), &info);
    return RectOf(info.rcWork);
}

void MinimizeMainWindow() {
    ShowWindow(Window(), SW_MINIMIZE);
}

void CloseMainWindow() {
    DestroyWindow(Window());
}

void CaptureMouse() {
    SetCapture(Window());
}

void ReleaseMouse() {
    ReleaseCapture();
}

void TrackMouseLeave() {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = Window();
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

bool AskYesNo(std::u16string_view text, std::u16string_view caption) {
    std::wstring wideText;
    std::wstring wideCaption;
    const bool yes = MessageBoxW(Window(), Wide(text, wideText), Wide(caption, wideCaption),
                                 MB_YESNO | MB_ICONWARNING) == IDYES;
    TrackMouseLeave();  // the box ended the leave tracking; the cursor may be elsewhere now
    return yes;
}

bool AskReportPath(std::u16string& path) {
    wchar_t file[MAX_PATH] = L"Corvanite_Report.txt";
    static const wchar_t filter[] = L"Text Files\0*.txt\0All Files\0*.*\0";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Window();
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT;
    const bool accepted = GetSaveFileNameW(&dialog) != 0;
    TrackMouseLeave();  // as after the confirmation box
    if (!accepted) {
        return false;
    }
    const std::wstring_view chosen(file);
    path.assign(chosen.begin(), chosen.end());
    return true;
}

}  // namespace corvanite

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using namespace corvanite;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    fontLarge = CreateUiFont(FONT_LARGE_POINTS);
    fontMain = CreateUiFont(FONT_MAIN_POINTS);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&windowClass);

    const HWND window = CreateWindowExW(WS_EX_APPWINDOW, WINDOW_CLASS, WINDOW_TITLE,
                                        WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                        CW_USEDEFAULT, CW_USEDEFAULT, INITIAL_WINDOW_WIDTH,
                                        INITIAL_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    StartDriveScan();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(fontLarge);
    DeleteObject(fontMain);
    return static_cast<int>(message.wParam);
}
