// The game window, its OpenGL context through WGL, the optional entry points and the 1 ms timer
// period; and the orderly shutdown that undoes them.
#include "platform/win32/win32_platform.h"

#include <GL/gl.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/scale.h"

HINSTANCE app_instance = nullptr;
HWND main_window = nullptr;
HDC main_dc = nullptr;
Win32View main_view = {};

namespace {

// True between timeBeginPeriod(1) and its matching timeEndPeriod(1).
bool timer_period_active = false;

// wglGetProcAddress answers 1, 2, 3 or -1 instead of null on some drivers: none is an entry point.
void *lookup_gl_entry(const char *name) {
    PROC proc = wglGetProcAddress(name);
    const auto value = reinterpret_cast<intptr_t>(proc);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        return nullptr;
    }
    return reinterpret_cast<void *>(proc);
}

// The window class "Stakmir": own device context, arrow cursor, the program's icon, no background.
bool register_window_class() {
    WNDCLASSA window_class{};
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = win32_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = app_instance;
    window_class.hIcon = LoadIconA(app_instance, "IDI_APP");
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = WIN32_WINDOW_CLASS;
    std::atexit(shutdown_platform);
    // A second start in the same process (tests) finds the class already there.
    return RegisterClassA(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Creates the visible window, centred by its outer corner, with a client area of 480 by 320
// times `scale` (the screen's when 0; lowered to fit on the screen, which one line says). The
// program declares itself aware of the screen's real pixels (its manifest), so the primary
// screen's size is in real pixels, and the system does not stretch the window.
bool create_window(int32_t scale) {
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    main_view.scale = scale_choose(scale, screen_width, screen_height);
    if (scale != 0 && main_view.scale != scale) {
        char line[160];
        scale_lowered_note(scale, main_view.scale, screen_width, screen_height, line, sizeof line);
        std::fprintf(stderr, "stakmir: %s\n", line);
        std::fflush(stderr);
    }
    const POINT origin = win32_window_origin(screen_width, screen_height, main_view.scale);
    RECT outer;
    SetRect(&outer, 0, 0, WIN32_CLIENT_WIDTH * main_view.scale, WIN32_CLIENT_HEIGHT * main_view.scale);
    AdjustWindowRectEx(&outer, WIN32_WINDOW_STYLE, FALSE, 0);
    main_window = CreateWindowExA(0, WIN32_WINDOW_CLASS, WIN32_WINDOW_CLASS, WIN32_WINDOW_STYLE, origin.x,
                                  origin.y, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, app_instance, nullptr);
    return main_window != nullptr;
}

// Gives the window's device context the requested pixel format and a current OpenGL context.
const char *create_context() {
    main_dc = GetDC(main_window);
    if (main_dc == nullptr) {
        return "could not get the window's device context";
    }
    const PIXELFORMATDESCRIPTOR request = win32_pixel_format_request();
    const int format = ChoosePixelFormat(main_dc, &request);
    if (format == 0) {
        return "no double-buffered RGBA OpenGL pixel format for the window";
    }
    if (!SetPixelFormat(main_dc, format, &request)) {
        return "could not set the window's pixel format";
    }
    HGLRC context = wglCreateContext(main_dc);
    if (context == nullptr) {
        return "could not create the OpenGL context";
    }
    if (!wglMakeCurrent(main_dc, context)) {
        return "could not make the OpenGL context current";
    }
    // The frame is drawn at 480 by 320 in the lower left corner and enlarged when presented.
    glViewport(0, 0, WIN32_CLIENT_WIDTH, WIN32_CLIENT_HEIGHT);
    return nullptr;
}

}  // namespace

POINT win32_window_origin(int screen_width, int screen_height, int scale) {
    return POINT{screen_width / 2 - WIN32_CLIENT_WIDTH / 2 * scale, screen_height / 2 - WIN32_CLIENT_HEIGHT / 2 * scale};
}

// Into fullscreen on the window's monitor, without the border, and back to the window's place.
void win32_toggle_fullscreen() {
    if (main_view.fullscreen == 0) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetWindowRect(main_window, &main_view.windowed) ||
            !GetMonitorInfoA(MonitorFromWindow(main_window, MONITOR_DEFAULTTONEAREST), &monitor)) {
            return;
        }
        main_view.fullscreen = 1;
        const RECT &area = monitor.rcMonitor;
        SetWindowLongA(main_window, GWL_STYLE, static_cast<LONG>(WIN32_FULLSCREEN_STYLE));
        SetWindowPos(main_window, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
        return;
    }
    main_view.fullscreen = 0;
    const RECT &area = main_view.windowed;
    SetWindowLongA(main_window, GWL_STYLE, static_cast<LONG>(WIN32_WINDOW_STYLE));
    SetWindowPos(main_window, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

PIXELFORMATDESCRIPTOR win32_pixel_format_request() {
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

void platform_report_failure(const char *what) {
    win32_report_failure(what);
}

void win32_report_failure(const char *what) {
    char line[160];
    std::snprintf(line, sizeof line, "stakmir: %s", what);
    // A program started from Explorer has no stderr; tell the player in a box instead.
    HANDLE error_output = GetStdHandle(STD_ERROR_HANDLE);
    if (error_output == nullptr || error_output == INVALID_HANDLE_VALUE) {
        MessageBoxA(nullptr, line, WIN32_WINDOW_CLASS, MB_OK | MB_ICONERROR);
        return;
    }
    std::fprintf(stderr, "%s\n", line);
    std::fflush(stderr);
}

bool create_main_window() {
    const char *scale_setting = std::getenv("STAKMIR_SCALE");
    const int32_t scale = scale_parse(scale_setting);
    if (scale < 0) {
        char line[128];
        scale_setting_error(scale_setting, line, sizeof line);
        win32_report_failure(line);
        return false;
    }
    main_view = Win32View{};
    if (!register_window_class()) {
        win32_report_failure("could not register the window class");
        return false;
    }
    if (!create_window(scale)) {
        win32_report_failure("could not create the window");
        return false;
    }
    if (const char *failure = create_context()) {
        win32_report_failure(failure);
        return false;
    }
    swap_interval_proc = reinterpret_cast<SwapIntervalProc>(lookup_gl_entry("wglSwapIntervalEXT"));
    const auto *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    platform_find_s3tc(extensions, lookup_gl_entry);
    timer_period_active = timeBeginPeriod(1) == TIMERR_NOERROR;
    win32_gamepad_start();  // without XInput the game plays from the keyboard alone
    return true;
}

void shutdown_platform() {
    platform_audio_close();
    if (timer_period_active) {
        timeEndPeriod(1);
        timer_period_active = false;
    }
    win32_gamepad_stop();
    if (main_window != nullptr) {
        HWND window = main_window;
        main_window = nullptr;
        DestroyWindow(window);
    }
    // After the destruction, so that the events it queued are freed as well.
    event_queue_clear();
}
