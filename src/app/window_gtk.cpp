// The Linux window program: the same window in GTK 3. An undecorated top-level window holds one
// drawing area; its events are mapped onto the portable input handling, the frame is drawn by the
// Cairo renderer, and the workers' messages arrive through the GTK main loop.
#include <gtk/gtk.h>

#include <cmath>
#include <string>

#include "app/frame_observer.h"
#include "app/input.h"
#include "app/scan_worker.h"
#include "app/window_frame.h"
#include "app/window_host.h"
#include "host/host_queue.h"
#include "state/app_state.h"
#include "text/utf.h"
#include "ui/display_list.h"
#include "ui/display_scale.h"
#include "ui/frame.h"
#include "ui/render_cairo.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite {
namespace {

GtkWindow* window = nullptr;
GtkWidget* canvas = nullptr;
int screenDpi = DEFAULT_SCREEN_DPI;

// A pointer position (GTK's logical pixels) in the units the frame was drawn in. GTK's own
// window scale (GDK_SCALE) is below this: Cairo's device scale does it.
Point PointOf(double x, double y) {
    return UnitPointAt(
        Point{static_cast<int32_t>(std::floor(x)), static_cast<int32_t>(std::floor(y))}, screenDpi);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
    static DisplayList list;  // their storage is kept from frame to frame
    static FrameOutput out;
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    BuildFrame(list, out, UnitsCovering(width, screenDpi), UnitsCovering(height, screenDpi));
    CommitFrame(out);
    RenderDisplayList(cr, list, screenDpi);
    NoteFramePainted(width, height);
    return TRUE;
}

// The edge or corner a pointer position (the drawing area's logical pixels) resizes, as the
// Windows window's hit test answers it; HIT_CLIENT inside.
FrameHit EdgeAt(double x, double y) {
    return FrameHitAt(
        Point{static_cast<int32_t>(std::floor(x)), static_cast<int32_t>(std::floor(y))},
        gtk_widget_get_allocated_width(canvas), gtk_widget_get_allocated_height(canvas),
        ScaleEdge(RESIZE_BORDER_UNITS, screenDpi),
        appState.maximized || gtk_window_is_maximized(window));
}

GdkWindowEdge GdkEdgeOf(FrameHit hit) {
    switch (hit) {
        case HIT_LEFT:
            return GDK_WINDOW_EDGE_WEST;
        case HIT_RIGHT:
            return GDK_WINDOW_EDGE_EAST;
        case HIT_TOP:
            return GDK_WINDOW_EDGE_NORTH;
        case HIT_TOP_LEFT:
            return GDK_WINDOW_EDGE_NORTH_WEST;
        case HIT_TOP_RIGHT:
            return GDK_WINDOW_EDGE_NORTH_EAST;
        case HIT_BOTTOM:
            return GDK_WINDOW_EDGE_SOUTH;
        case HIT_BOTTOM_LEFT:
            return GDK_WINDOW_EDGE_SOUTH_WEST;
        default:
            return GDK_WINDOW_EDGE_SOUTH_EAST;
    }
}

// The resize cursor over an edge or corner, the arrow elsewhere (set only when it changes).
void ShowEdgeCursor(FrameHit hit) {
    static FrameHit shown = HIT_CLIENT;
    if (hit == shown) {
        return;
    }
    shown = hit;
    // In GdkWindowEdge's order: the corners and sides from the top left, row by row.
    static const char* const names[] = {"nw-resize", "n-resize",  "ne-resize", "w-resize",
                                        "e-resize",  "sw-resize", "s-resize",  "se-resize"};
    GdkWindow* surface = gtk_widget_get_window(canvas);
    GdkCursor* cursor = hit == HIT_CLIENT ? nullptr
                                          : gdk_cursor_new_from_name(
                                                gdk_window_get_display(surface),
                                                names[GdkEdgeOf(hit) - GDK_WINDOW_EDGE_NORTH_WEST]);
    gdk_window_set_cursor(surface, cursor);
    if (cursor != nullptr) {
        g_object_unref(cursor);
    }
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer) {
    // The second press of a double click is not a click of its own.
    if (event->button == 1 && event->type == GDK_BUTTON_PRESS) {
        // The window has no system frame: its outer edges resize it, as the Windows one's do.
        const FrameHit hit = EdgeAt(event->x, event->y);
        if (hit != HIT_CLIENT) {
            gtk_window_begin_resize_drag(window, GdkEdgeOf(hit), static_cast<gint>(event->button),
                                         static_cast<gint>(event->x_root),
                                         static_cast<gint>(event->y_root), event->time);
            return TRUE;
        }
        OnLeftButtonDown(PointOf(event->x, event->y));
    }
    return TRUE;
}

gboolean OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer) {
    if (event->button == 1) {
        OnLeftButtonUp(PointOf(event->x, event->y));
    }
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer) {
    if ((event->state & GDK_BUTTON1_MASK) == 0) {
        ShowEdgeCursor(EdgeAt(event->x, event->y));
    }
    OnMouseMove(PointOf(event->x, event->y), (event->state & GDK_BUTTON1_MASK) != 0);
    return TRUE;
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer) {
    // Crossings caused by the pointer grab of a held button are not the cursor leaving.
    if (event->mode == GDK_CROSSING_NORMAL) {
        OnMouseLeave();
    }
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer) {
    static double smooth = 0;
    int32_t delta = 0;
    if (event->direction == GDK_SCROLL_UP) {
        delta = WHEEL_STEP;
    } else if (event->direction == GDK_SCROLL_DOWN) {
        delta = -WHEEL_STEP;
    } else if (event->direction == GDK_SCROLL_SMOOTH) {
        // Smooth scrolling reports fractions of a notch; a notch is 120 as on Windows.
        smooth -= event->delta_y * WHEEL_STEP;
        delta = static_cast<int32_t>(smooth);
        smooth -= delta;
    }
    if (delta != 0 || event->direction == GDK_SCROLL_SMOOTH) {
        OnMouseWheel(PointOf(event->x, event->y), delta);
    }
    return TRUE;
}

// GDK's key values as the virtual-key codes the input handling takes.
uint32_t KeyCodeOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_F5:
            return KEY_F5;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            return KEY_UP;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            return KEY_DOWN;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            return KEY_LEFT;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            return KEY_RIGHT;
        case GDK_KEY_Page_Up:
        case GDK_KEY_KP_Page_Up:
            return KEY_PAGE_UP;
        case GDK_KEY_Page_Down:
        case GDK_KEY_KP_Page_Down:
            return KEY_PAGE_DOWN;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home:
            return KEY_HOME;
        case GDK_KEY_End:
        case GDK_KEY_KP_End:
            return KEY_END;
        case GDK_KEY_Escape:
            return KEY_ESCAPE;
        case GDK_KEY_Tab:
        case GDK_KEY_KP_Tab:
        case GDK_KEY_ISO_Left_Tab:  // what Shift+Tab gives
            return KEY_TAB;
        default:
            break;
    }
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) {
        return static_cast<uint32_t>('0' + (keyval - GDK_KEY_0));
    }
    const guint key = gdk_keyval_to_upper(keyval);
    return key >= GDK_KEY_A && key <= GDK_KEY_Z ? static_cast<uint32_t>('A' + (key - GDK_KEY_A))
                                                : 0;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer) {
    const uint32_t key = KeyCodeOf(event->keyval);
    if (key != 0) {
        OnKeyDown(key, (event->state & GDK_CONTROL_MASK) != 0,
                  (event->state & GDK_SHIFT_MASK) != 0);
    }
    return TRUE;
}

// Another grab took the pointer while a button was held (a menu, the window manager).
gboolean OnGrabBroken(GtkWidget*, GdkEvent*, gpointer) {
    OnCaptureLost();
    return FALSE;
}

gboolean OnTick(gpointer) {
    OnTimerTick();
    return G_SOURCE_CONTINUE;
}

// Runs on the main loop: the workers' messages, in the order they were posted.
gboolean DispatchPosted(gpointer) {
    for (const PostedMessage& posted : TakePostedMessages()) {
        if (posted.message == MSG_SCAN_DONE) {
            HandleScanDone();
        } else if (posted.message == MSG_CHKDSK_EVENT) {
            OnChkdskEvent(posted.wParam);
        } else if (posted.message == MSG_SELF_TEST) {
            OnSelfTestAnswer();
        }
    }
    return G_SOURCE_REMOVE;
}

// Any thread: the system's queue takes the message, then the main loop is woken to dispatch it.
bool PostAndWake(uint32_t message, uintptr_t wParam) {
    if (!SystemHostServices().postWindowMessage(message, wParam)) {
        return false;
    }
    g_idle_add(DispatchPosted, nullptr);
    return true;
}

// UI thread only.
void Redraw() {
    if (canvas != nullptr) {
        gtk_widget_queue_draw(canvas);
    }
}

// The system's host with the window's own wake-up and repaint, while the main loop runs.
const HostServices GTK_HOST = [] {
    HostServices table = SystemHostServices();
    table.postWindowMessage = PostAndWake;
    table.requestRepaint = Redraw;
    return table;
}();

// The desktop's close (Alt+F4, the window list): asked first while a check runs.
gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer) {
    return MayCloseWindow() ? FALSE : TRUE;
}

void OnDestroy(GtkWidget*, gpointer) {
    canvas = nullptr;
    gtk_main_quit();
}

GdkMonitor* WindowMonitor() {
    GdkDisplay* display = gdk_display_get_default();
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
    GdkMonitor* monitor =
        gdkWindow != nullptr ? gdk_display_get_monitor_at_window(display, gdkWindow) : nullptr;
    return monitor != nullptr ? monitor : gdk_display_get_monitor(display, 0);
}

Rect RectOf(const GdkRectangle& r) {
    return Rect{r.x, r.y, r.x + r.width, r.y + r.height};
}

// The text resolution the desktop asks for (Xft.dpi, GDK_DPI_SCALE): the whole frame follows it.
int ScreenDpi() {
    const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
    return ClampDpi(resolution > 0 ? static_cast<int>(resolution + 0.5) : DEFAULT_SCREEN_DPI);
}

// The window's first place: centred on the work area of the monitor under the pointer.
Rect FirstPlace() {
    GdkDisplay* display = gdk_display_get_default();
    int x = 0;
    int y = 0;
    if (GdkSeat* seat = gdk_display_get_default_seat(display)) {
        if (GdkDevice* pointer = gdk_seat_get_pointer(seat)) {
            gdk_device_get_position(pointer, nullptr, &x, &y);
        }
    }
    GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, x, y);
    GdkRectangle area{0, 0, 0, 0};
    if (monitor != nullptr) {
        gdk_monitor_get_workarea(monitor, &area);
    }
    const int32_t minWidth = ScaleEdge(MIN_WINDOW_WIDTH, screenDpi);
    const int32_t minHeight = ScaleEdge(MIN_WINDOW_HEIGHT, screenDpi);
    return PlaceWindow(RectOf(area), ScaleEdge(INITIAL_WINDOW_WIDTH, screenDpi),
                       ScaleEdge(INITIAL_WINDOW_HEIGHT, screenDpi), minWidth, minHeight);
}

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

bool HasExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

Rect Bounds() {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    gtk_window_get_position(window, &x, &y);
    gtk_window_get_size(window, &width, &height);
    return Rect{x, y, x + width, y + height};
}

void Move(int32_t x, int32_t y) {
    gtk_window_move(window, x, y);
}

void Place(Rect bounds) {
    gtk_window_move(window, bounds.left, bounds.top);
    gtk_window_resize(window, bounds.Width(), bounds.Height());
}

Point ToScreen(Point client) {
    int x = 0;
    int y = 0;
    GdkWindow* gdkWindow = canvas != nullptr ? gtk_widget_get_window(canvas) : nullptr;
    if (gdkWindow != nullptr) {
        gdk_window_get_origin(gdkWindow, &x, &y);
    }
    return Point{ScaleEdge(client.x, screenDpi) + x, ScaleEdge(client.y, screenDpi) + y};
}

Rect WorkArea() {
    GdkRectangle area{};
    if (GdkMonitor* monitor = WindowMonitor()) {
        gdk_monitor_get_workarea(monitor, &area);
    }
    return RectOf(area);
}

void Minimize() {
    gtk_window_iconify(window);
}

void Close() {
    gtk_widget_destroy(GTK_WIDGET(window));
}

// GTK holds the pointer for the widget while a button is down, and reports every leave.
void NothingToDo() {}

bool YesNo(std::u16string_view text, std::u16string_view caption) {
    GtkWidget* dialog = gtk_message_dialog_new(window, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                               GTK_BUTTONS_YES_NO, "%s", Utf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), Utf8(caption).c_str());
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_NO);
    const gint answer = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return answer == GTK_RESPONSE_YES;
}

bool Clipboard(std::u16string_view text) {
    std::string lines = Utf8(text);
    std::string::size_type at = 0;
    while ((at = lines.find("\r\n", at)) != std::string::npos) {
        lines.erase(at, 1);
    }
    // GTK keeps its own copy and serves it for as long as the program runs.
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), lines.c_str(),
                           static_cast<gint>(lines.size()));
    return true;
}

bool ReportPath(std::u16string& path, uint32_t& dialogError) {
    dialogError = 0;  // GTK's chooser reports no failure of its own
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new("Save Report", window, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_current_name(chooser, "Corvanite_Report.txt");
    GtkFileFilter* text = gtk_file_filter_new();
    gtk_file_filter_set_name(text, "Text Files");
    gtk_file_filter_add_pattern(text, "*.txt");
    gtk_file_chooser_add_filter(chooser, text);
    GtkFileFilter* all = gtk_file_filter_new();
    gtk_file_filter_set_name(all, "All Files");
    gtk_file_filter_add_pattern(all, "*");
    gtk_file_chooser_add_filter(chooser, all);
    gtk_file_chooser_set_filter(chooser, text);

    bool chosen = false;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        if (name == nullptr) {
            break;
        }
        std::string file = name;
        g_free(name);
        if (!HasExtension(file)) {
            // ".txt" for a name typed without an extension; ask again before replacing that one.
            file += ".txt";
            if (g_file_test(file.c_str(), G_FILE_TEST_EXISTS) &&
                !YesNo(Utf8ToUtf16(file + " already exists.\nDo you want to replace it?"),
                       u"Confirm Save As")) {
                continue;
            }
        }
        path = Utf8ToUtf16(file);
        chosen = true;
        break;
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

constexpr WindowHost GTK_WINDOW{
    .mainWindowBounds = Bounds,
    .moveMainWindow = Move,
    .placeMainWindow = Place,
    .clientToScreen = ToScreen,
    .monitorWorkArea = WorkArea,
    .minimizeMainWindow = Minimize,
    .closeMainWindow = Close,
    .captureMouse = NothingToDo,
    .releaseMouse = NothingToDo,
    .trackMouseLeave = NothingToDo,
    .askYesNo = YesNo,
    .askReportPath = ReportPath,
    .copyToClipboard = Clipboard,
};

}  // namespace

int RunWindowProgram(int argc, char** argv, int) {
    InstallWindowHost(&GTK_WINDOW);
    // The program reads no command line of its own; GTK's standard options still apply.
    g_set_prgname("CorvaniteWnd");
    gtk_init(&argc, &argv);
    screenDpi = ScreenDpi();
    // The installed icon (hicolor theme) for the task bar and the window switcher; the menu entry
    // names the window's class "CorvaniteWnd" so the desktop ties the window to it.
    gtk_window_set_default_icon_name("corvanite");

    window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    gtk_window_set_title(window, "Corvanite");
    gtk_window_set_decorated(window, FALSE);
    const Rect place = FirstPlace();
    gtk_window_set_default_size(window, place.Width(), place.Height());
    gtk_window_move(window, place.left, place.top);
    GdkGeometry hints{};
    hints.min_width = ScaleEdge(MIN_WINDOW_WIDTH, screenDpi);
    hints.min_height = ScaleEdge(MIN_WINDOW_HEIGHT, screenDpi);
    gtk_window_set_geometry_hints(window, nullptr, &hints, GDK_HINT_MIN_SIZE);

    canvas = gtk_drawing_area_new();
    gtk_widget_set_can_focus(canvas, TRUE);
    gtk_widget_add_events(canvas, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK |
                                      GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK |
                                      GDK_KEY_PRESS_MASK);
    g_signal_connect(canvas, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(canvas, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
    g_signal_connect(canvas, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
    g_signal_connect(canvas, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
    g_signal_connect(canvas, "leave-notify-event", G_CALLBACK(OnLeave), nullptr);
    g_signal_connect(canvas, "scroll-event", G_CALLBACK(OnScroll), nullptr);
    g_signal_connect(canvas, "key-press-event", G_CALLBACK(OnKey), nullptr);
    g_signal_connect(canvas, "grab-broken-event", G_CALLBACK(OnGrabBroken), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDeleteEvent), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(OnDestroy), nullptr);
    gtk_container_add(GTK_CONTAINER(window), canvas);

    InstallHostServices(&GTK_HOST);
    AttachMessageWindow(reinterpret_cast<PlatformHandle>(window));
    const guint tick = g_timeout_add(TICK_MILLISECONDS, OnTick, nullptr);

    gtk_widget_show_all(GTK_WIDGET(window));
    gtk_widget_grab_focus(canvas);
    StartDriveScan();
    gtk_main();

    g_source_remove(tick);
    InstallHostServices(nullptr);  // a worker's message now waits in the queue, unread
    EndVolumeCheckForExit();
    return FinishProgram(0);
}

}  // namespace corvanite
