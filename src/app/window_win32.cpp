// The Windows window program: start-up, the main window and its message handler, painting
// through the GDI renderer, and the window host table the portable input handling calls.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "app/frame_observer.h"
#include "app/input.h"
#include "app/scan_worker.h"
#include "app/window_frame.h"
#include "app/window_host.h"
#include "app/window_program.h"
#include "state/app_state.h"
#include "ui/display_list.h"
#include "ui/display_scale.h"
#include "ui/frame.h"
#include "ui/render_gdi.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite {
namespace {

constexpr wchar_t WINDOW_CLASS[] = L"CorvaniteWnd";
constexpr wchar_t WINDOW_TITLE[] = L"Corvanite";
constexpr UINT_PTR TIMER_TICK = 1;

// The window program's own handles: the main window and the two fonts it paints with, made for
// the window's resolution.
HWND mainWindow = nullptr;
HFONT fontMain = nullptr;
HFONT fontLarge = nullptr;
int windowDpi = UNIT_DPI;
// Whether the system has the window maximised (as against the program's own maximise, which
// only places the window on the work area).
bool systemMaximized = false;

static_assert(HIT_CLIENT == HTCLIENT && HIT_LEFT == HTLEFT && HIT_RIGHT == HTRIGHT &&
              HIT_TOP == HTTOP && HIT_TOP_LEFT == HTTOPLEFT && HIT_TOP_RIGHT == HTTOPRIGHT &&
              HIT_BOTTOM == HTBOTTOM && HIT_BOTTOM_LEFT == HTBOTTOMLEFT &&
              HIT_BOTTOM_RIGHT == HTBOTTOMRIGHT);

HWND Window() {
    return mainWindow;
}

const wchar_t* Wide(std::u16string_view text, std::wstring& storage) {
    storage.assign(text.begin(), text.end());
    return storage.c_str();
}

// Coordinates in lParam: the low and high words, each sign-extended, in device pixels.
Point PixelsOf(LPARAM lParam) {
    return Point{static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                 static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
}

// A client point of a mouse message in the units the frame was drawn in.
Point PointOf(LPARAM lParam) {
    return UnitPointAt(PixelsOf(lParam), windowDpi);
}

// The wheel's pointer position comes in screen pixels.
Point WheelPoint(LPARAM lParam) {
    const Point screen = PixelsOf(lParam);
    POINT p{screen.x, screen.y};
    ScreenToClient(Window(), &p);
    return UnitPointAt(Point{p.x, p.y}, windowDpi);
}

Rect RectOf(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

// The window's own resolution: GetDpiForWindow where the system has it (Windows 10 1607 on),
// looked up at run time since older systems and WinPE images may lack it; else the screen's.
int WindowDpi(HWND window) {
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const int dpi = getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(window)) : 0;
    return ClampDpi(dpi > 0 ? dpi : ScreenDpi());
}

// The two fonts at the window's resolution, replacing any made before.
void MakeFonts() {
    HFONT large = CreateUiFont(FONT_LARGE_POINTS, windowDpi);
    HFONT main = CreateUiFont(FONT_MAIN_POINTS, windowDpi);
    DeleteObject(fontLarge);
    DeleteObject(fontMain);
    fontLarge = large;
    fontMain = main;
}

// The work area of the monitor a rectangle is mostly on (the nearest one when it is on none).
Rect WorkAreaAround(const RECT& rect) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
    return RectOf(monitor.rcWork);
}

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

// Where the window goes back to from the system's maximise, in screen coordinates (the
// placement's workspace coordinates are relative to the work area).
Rect NormalBounds(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const MONITORINFO monitor = MonitorOf(window);
    const LONG dx = monitor.rcWork.left - monitor.rcMonitor.left;
    const LONG dy = monitor.rcWork.top - monitor.rcMonitor.top;
    const RECT& r = placement.rcNormalPosition;
    return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
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
    BuildFrame(list, out, UnitsCovering(width, windowDpi), UnitsCovering(height, windowDpi));
    CommitFrame(out);
    RenderDisplayList(memory, list, fontMain, fontLarge, windowDpi);
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
        case WM_CLOSE:
            // Alt+F4, the taskbar's close, a log-off's request: asked first while a check runs.
            if (MayCloseWindow()) {
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            KillTimer(window, TIMER_TICK);
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MAXIMIZED) {
                systemMaximized = true;
                NoteWindowMaximized(true, NormalBounds(window));
            } else if (wParam == SIZE_RESTORED && systemMaximized) {
                systemMaximized = false;
                NoteWindowMaximized(false, Rect{});
            }
            RequestRepaint();
            return 0;
        case WM_DPICHANGED: {
            // Moved to a monitor of another resolution, or the user changed the scale: the
            // suggested rectangle keeps the window's size in units.
            // Maximised (by the system or by [MAXIMIZE]), the window keeps covering the work
            // area; otherwise the suggestion is kept on the work area of its monitor.
            windowDpi = ClampDpi(LOWORD(static_cast<DWORD>(wParam)));
            MakeFonts();
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            const Rect place = MaximizedPlace(RectOf(*suggested), WorkAreaAround(*suggested),
                                              appState.maximized || IsZoomed(window) != 0);
            SetWindowPos(window, nullptr, place.left, place.top, place.Width(), place.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            RequestRepaint();
            return 0;
        }
        case WM_NCCALCSIZE:
            // The client area covers the whole window: no frame strip is drawn by the system
            // (Windows 10 and 11 draw a white one along the top of a captionless sizing frame).
            return 0;
        case WM_NCHITTEST: {
            RECT bounds{};
            GetWindowRect(window, &bounds);
            const Point screen = PixelsOf(lParam);
            return FrameHitAt(Point{screen.x - bounds.left, screen.y - bounds.top},
                              bounds.right - bounds.left, bounds.bottom - bounds.top,
                              ScaleEdge(RESIZE_BORDER_UNITS, windowDpi),
                              appState.maximized || IsZoomed(window) != 0);
        }
        case WM_PAINT:
            PaintFrame(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = ScaleEdge(MIN_WINDOW_WIDTH, windowDpi);
            info->ptMinTrackSize.y = ScaleEdge(MIN_WINDOW_HEIGHT, windowDpi);
            // The system's maximise fills the work area, not the whole monitor: the taskbar stays
            // visible. The position is relative to the monitor's own origin.
            // The size is taken as one for the primary monitor and adjusted by the system.
            const MONITORINFO monitor = MonitorOf(window);
            info->ptMaxPosition.x = monitor.rcWork.left - monitor.rcMonitor.left;
            info->ptMaxPosition.y = monitor.rcWork.top - monitor.rcMonitor.top;
            const Point size =
                MaximizedSize(Point{monitor.rcWork.right - monitor.rcWork.left,
                                    monitor.rcWork.bottom - monitor.rcWork.top},
                              Point{monitor.rcMonitor.right - monitor.rcMonitor.left,
                                    monitor.rcMonitor.bottom - monitor.rcMonitor.top},
                              Point{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
            info->ptMaxSize.x = size.x;
            info->ptMaxSize.y = size.y;
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            // The system's maximise lands on the work area of the monitor it maximises onto,
            // whatever the adjustment of the maximised size made of it.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (IsZoomed(window) != 0 && (pos->flags & SWP_NOSIZE) == 0) {
                const RECT proposed{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
                const Rect place = MaximizedPlace(RectOf(proposed), WorkAreaAround(proposed), true);
                pos->x = place.left;
                pos->y = place.top;
                pos->cx = place.Width();
                pos->cy = place.Height();
            }
            // The system's own handling (the minimum and maximum tracking sizes) follows.
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_KEYDOWN:
            OnKeyDown(static_cast<uint32_t>(wParam), (GetKeyState(VK_CONTROL) & 0x8000) != 0,
                      (GetKeyState(VK_SHIFT) & 0x8000) != 0);
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
            OnMouseWheel(WheelPoint(lParam),
                         static_cast<int16_t>(HIWORD(static_cast<DWORD>(wParam))));
            return 0;
        case WM_CAPTURECHANGED:
            OnCaptureLost();
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
        case MSG_SELF_TEST:
            OnSelfTestAnswer();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void TrackLeave() {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = Window();
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

Rect Bounds() {
    RECT r{};
    GetWindowRect(Window(), &r);
    return RectOf(r);
}

void Move(int32_t x, int32_t y) {
    SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void Place(Rect bounds) {
    if (IsZoomed(Window())) {
        ShowWindow(Window(), SW_RESTORE);  // out of the system's maximise first
    }
    SetWindowPos(Window(), nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                 SWP_NOZORDER);
    // The cursor may now be outside the window without having moved: ask for the leave notice
    // again, which arrives at once in that case, so no button keeps its hover look.
    TrackLeave();
}

Point ToScreen(Point client) {
    POINT p{ScaleEdge(client.x, windowDpi), ScaleEdge(client.y, windowDpi)};
    ::ClientToScreen(Window(), &p);
    return Point{p.x, p.y};
}

Rect WorkArea() {
    return RectOf(MonitorOf(Window()).rcWork);
}

void Minimize() {
    ShowWindow(Window(), SW_MINIMIZE);
}

void Close() {
    DestroyWindow(Window());
}

void Capture() {
    SetCapture(Window());
}

void Release() {
    ReleaseCapture();
}

bool YesNo(std::u16string_view text, std::u16string_view caption) {
    std::wstring wideText;
    std::wstring wideCaption;
    const bool yes = MessageBoxW(Window(), Wide(text, wideText), Wide(caption, wideCaption),
                                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    TrackLeave();  // the box ended the leave tracking; the cursor may be elsewhere now
    return yes;
}

bool Clipboard(std::u16string_view text) {
    // The clipboard owns the memory once SetClipboardData took it; until then it is ours.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (memory == nullptr) {
        return false;
    }
    auto* units = static_cast<wchar_t*>(GlobalLock(memory));
    if (units == nullptr) {
        GlobalFree(memory);
        return false;
    }
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = L'\0';
    GlobalUnlock(memory);
    bool placed = false;
    if (OpenClipboard(Window()) != 0) {
        placed = EmptyClipboard() != 0 && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        CloseClipboard();
    }
    if (!placed) {
        GlobalFree(memory);
    }
    return placed;
}

bool ReportPath(std::u16string& path, uint32_t& dialogError) {
    // Room for a long path (\\?\ form, up to 32767 characters and the terminator).
    constexpr DWORD FILE_CHARS = 32768;
    std::wstring file(FILE_CHARS, L'\0');
    const std::wstring_view defaultName = L"Corvanite_Report.txt";
    file.replace(0, defaultName.size(), defaultName);
    static const wchar_t filter[] = L"Text Files\0*.txt\0All Files\0*.*\0";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Window();
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = FILE_CHARS;
    dialog.lpstrDefExt = L"txt";
    // The dialog would otherwise make the chosen folder the process's current directory: a USB
    // stick saved to could not be removed safely, and a check of its volume could not lock it.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    const bool accepted = GetSaveFileNameW(&dialog) != 0;
    dialogError = accepted ? 0 : static_cast<uint32_t>(CommDlgExtendedError());
    TrackLeave();  // as after the confirmation box
    if (!accepted) {
        return false;
    }
    const std::wstring_view chosen(file.c_str());
    path.assign(chosen.begin(), chosen.end());
    return true;
}

constexpr WindowHost WIN32_WINDOW{
    .mainWindowBounds = Bounds,
    .moveMainWindow = Move,
    .placeMainWindow = Place,
    .clientToScreen = ToScreen,
    .monitorWorkArea = WorkArea,
    .minimizeMainWindow = Minimize,
    .closeMainWindow = Close,
    .captureMouse = Capture,
    .releaseMouse = Release,
    .trackMouseLeave = TrackLeave,
    .askYesNo = YesNo,
    .askReportPath = ReportPath,
    .copyToClipboard = Clipboard,
};

}  // namespace

int RunWindowProgram(int, char**, int showCommand) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    InstallWindowHost(&WIN32_WINDOW);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&windowClass);

    // A pop-up window is not placed by the system (CW_USEDEFAULT puts it at 0, 0): it is made
    // hidden on the monitor under the cursor, where it learns that monitor's resolution, and is
    // then sized and centred on that monitor's work area.
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const HWND window =
        CreateWindowExW(WS_EX_APPWINDOW, WINDOW_CLASS, WINDOW_TITLE,
                        WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                        monitor.rcWork.left, monitor.rcWork.top, INITIAL_WINDOW_WIDTH,
                        INITIAL_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    windowDpi = WindowDpi(window);
    MakeFonts();
    const Rect placed = PlaceWindow(
        RectOf(monitor.rcWork), ScaleEdge(INITIAL_WINDOW_WIDTH, windowDpi),
        ScaleEdge(INITIAL_WINDOW_HEIGHT, windowDpi), ScaleEdge(MIN_WINDOW_WIDTH, windowDpi),
        ScaleEdge(MIN_WINDOW_HEIGHT, windowDpi));
    SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    StartDriveScan();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(fontLarge);
    DeleteObject(fontMain);
    EndVolumeCheckForExit();
    return FinishProgram(static_cast<int>(message.wParam));
}

}  // namespace corvanite
