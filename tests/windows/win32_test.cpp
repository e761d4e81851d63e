// The Win32 layer on a real window and WGL context (Wine on a virtual X display).
#include "platform/win32/win32_platform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "platform/messages.h"
#include "platform/platform.h"

namespace {

// Screen centre less half the client area; odd halves truncated; a too-small screen used as it is.
TEST(WindowOrigin, OuterCornerIsTheScreenCentreLessHalfTheClientArea) {
    const struct {
        int width, height;
        LONG x, y;
    } cases[] = {{1024, 768, 272, 224}, {1365, 767, 442, 223}, {300, 201, -90, -60}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        const POINT origin = win32_window_origin(c.width, c.height);
        EXPECT_EQ(origin.x, c.x);
        EXPECT_EQ(origin.y, c.y);
    }
}

// A larger scale keeps the client area centred; the outer corner moves by half its growth.
TEST(WindowOrigin, ScaledWindowIsCentred) {
    const POINT origin = win32_window_origin(2560, 1440, 2);
    EXPECT_EQ(origin.x, 800);
    EXPECT_EQ(origin.y, 400);
}

// The manifest declares awareness of each monitor's real pixels, and the system takes it.
TEST(Manifest, DeclaresDpiAwareness) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no application manifest";
    const auto *text = static_cast<const char *>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(text, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_TRUE(IsProcessDPIAware());
}

// Buttons by their place and the left stick with its y turned to point down.
TEST(Gamepad, XInputStateInTheMappingsTerms) {
    XINPUT_GAMEPAD pad{};
    pad.wButtons = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_START | XINPUT_GAMEPAD_BACK |
                   XINPUT_GAMEPAD_LEFT_SHOULDER | XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_LEFT_THUMB;
    pad.sThumbLX = -32768;
    pad.sThumbLY = -16384;
    const GamepadState state = win32_gamepad_state(pad);
    EXPECT_EQ(state.buttons, GAMEPAD_SOUTH | GAMEPAD_EAST | GAMEPAD_START | GAMEPAD_BACK | GAMEPAD_LEFT_SHOULDER |
                                 GAMEPAD_DPAD_LEFT);
    EXPECT_FLOAT_EQ(state.stick_x, -1.0f);
    EXPECT_NEAR(state.stick_y, 0.5f, 0.001f);
}

// Byte for byte: size 40, version 1, flags 0x25, RGBA, 24 colour bits, all else zero.
TEST(PixelFormat, RequestIsDoubleBufferedRgbaWithNothingElse) {
    const uint8_t expected[40] = {40, 0, 1, 0, 0x25, 0, 0, 0, PFD_TYPE_RGBA, 24};  // little-endian words
    const PIXELFORMATDESCRIPTOR request = win32_pixel_format_request();
    EXPECT_EQ(sizeof request, 40u);
    EXPECT_EQ(std::memcmp(&request, &expected, sizeof request), 0);
}

// Every test here starts with a fresh window and ends with the shutdown.
class Window : public ::testing::Test {
protected:
    void SetUp() override {
        app_instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(create_main_window()) << "no window: is DISPLAY set to a running X server?";
    }
    void TearDown() override { shutdown_platform(); }

    static std::vector<AppEvent> drain() {  // every waiting event, oldest first
        std::vector<AppEvent> events;
        AppEvent event{};
        while (poll_event(&event) != 0) {
            events.push_back(event);
        }
        EXPECT_EQ(event.type, EVENT_NONE);
        return events;
    }

    static bool has_type(const std::vector<AppEvent> &events, int32_t type) {
        return std::any_of(events.begin(), events.end(), [type](const AppEvent &e) { return e.type == type; });
    }
};

TEST_F(Window, IsTheCentredBorderlessWindowOfTheStakmirClass) {
    ASSERT_NE(main_window, nullptr);
    EXPECT_TRUE(IsWindowVisible(main_window));
    const LONG style = GetWindowLongA(main_window, GWL_STYLE);  // exact, clip-siblings aside
    EXPECT_EQ(static_cast<DWORD>(style) & ~static_cast<DWORD>(WS_CLIPSIBLINGS), 0x908A0000u);
    EXPECT_EQ(GetWindowLongA(main_window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);

    RECT client{};
    GetClientRect(main_window, &client);
    EXPECT_EQ(client.right - client.left, 480);
    EXPECT_EQ(client.bottom - client.top, 320);
    RECT outer{};
    GetWindowRect(main_window, &outer);
    const POINT origin = win32_window_origin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(outer.left, origin.x);
    EXPECT_EQ(outer.top, origin.y);
    // The client area sits inside the thin border, off centre by the border's width.
    POINT corner{0, 0};
    ClientToScreen(main_window, &corner);
    EXPECT_GT(corner.x, outer.left);
    EXPECT_LE(corner.x - outer.left, 2);

    char text[32] = {};
    GetClassNameA(main_window, text, sizeof text);
    EXPECT_STREQ(text, "Stakmir");
    EXPECT_EQ(GetClassLongPtrA(main_window, GCL_STYLE), static_cast<ULONG_PTR>(CS_OWNDC));
    EXPECT_EQ(GetClassLongPtrA(main_window, GCLP_HBRBACKGROUND), 0u);
    EXPECT_NE(GetClassLongPtrA(main_window, GCLP_HICON), 0u) << "the IDI_APP icon was not loaded";
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(main_window, GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(Window, HasACurrentDoubleBufferedRgbaContextCoveringTheClientArea) {
    EXPECT_NE(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentDC(), main_dc);
    EXPECT_EQ(GetDC(main_window), main_dc) << "the class's own device context";

    PIXELFORMATDESCRIPTOR format{};
    ASSERT_NE(DescribePixelFormat(main_dc, GetPixelFormat(main_dc), sizeof format, &format), 0);
    EXPECT_EQ(format.dwFlags & 0x25u, 0x25u);
    EXPECT_EQ(format.iPixelType, PFD_TYPE_RGBA);
    EXPECT_GE(format.cColorBits, 24);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 480, 320}));

    // The entry points follow the extension string: both compressed uploads or neither.
    const auto *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(extensions, nullptr);
    const bool s3tc = std::strstr(extensions, "GL_EXT_texture_compression_s3tc") != nullptr;
    EXPECT_EQ(compressed_tex_image_2d_proc != nullptr, s3tc);
    EXPECT_EQ(compressed_tex_sub_image_2d_proc != nullptr, s3tc);
    EXPECT_NE(swap_interval_proc, nullptr) << "Wine's WGL offers wglSwapIntervalEXT";
}

TEST_F(Window, CreationQueuesSizeAndActivationAndMessagesBecomeEvents) {
    const std::vector<AppEvent> first = drain();
    ASSERT_TRUE(has_type(first, EVENT_RESIZE));
    EXPECT_TRUE(has_type(first, EVENT_ACTIVATE));
    for (const AppEvent &event : first) {
        if (event.type == EVENT_RESIZE) {
            EXPECT_EQ(event.a, 480u);
            EXPECT_EQ(event.b, 320u);
        }
    }

    PostMessageA(main_window, WM_KEYDOWN, VK_NUMPAD4, 0);
    PostMessageA(main_window, WM_KEYUP, VK_NUMPAD4, 0);
    PostMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(17, 300));
    PostMessageA(main_window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));  // makes no event
    PostMessageA(main_window, WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(5, 6));
    using Seen = std::array<uint32_t, 3>;  // type, a, b
    std::vector<Seen> events;
    for (const AppEvent &e : drain()) {
        if (e.type != EVENT_PAINT && e.type != EVENT_ACTIVATE && e.type != EVENT_DEACTIVATE) {
            events.push_back({static_cast<uint32_t>(e.type), e.a, e.b});
        }
    }
    const std::vector<Seen> expected = {{EVENT_KEY_DOWN, (0x64u << 8) | 1u, 0},
                                        {EVENT_KEY_UP, 0x64u << 8, 0},
                                        {EVENT_MOUSE_MOVE, (17u << 16) | EVENT_BUTTON_LEFT | EVENT_BUTTON_RIGHT, 300},
                                        {EVENT_BUTTON_UP, (5u << 16) | EVENT_BUTTON_LEFT, 6}};
    EXPECT_EQ(events, expected);
}

TEST_F(Window, APostedCloseIsAnsweredAtOnceAndTheWindowStaysForTheShutdown) {
    drain();
    window_proc(main_window, WM_KEYUP, 'A', 0);  // an older event, already queued
    PostMessageA(main_window, WM_CLOSE, 0, 0);
    AppEvent event{EVENT_NONE, nullptr, 11, 22};
    ASSERT_EQ(poll_event(&event), 1);
    EXPECT_EQ(event.type, EVENT_CLOSE);
    EXPECT_EQ(event.a, 11u) << "the rest of the record is left alone";
    ASSERT_EQ(poll_event(&event), 1);
    EXPECT_EQ(event.type, EVENT_KEY_UP);
    ASSERT_EQ(poll_event(&event), 1);
    EXPECT_EQ(event.type, EVENT_CLOSE) << "the close queued by the window procedure follows in turn";
    EXPECT_TRUE(IsWindow(main_window)) << "the window is destroyed by the shutdown, not by the close";
}

TEST_F(Window, WaitEndsWithAMessageOrTheTimeout) {
    drain();
    DWORD start = timeGetTime();
    platform_wait_event(60);
    EXPECT_GE(timeGetTime() - start, 50u) << "returned early without a message";

    PostMessageA(main_window, WM_KEYDOWN, VK_SPACE, 0);
    start = timeGetTime();
    platform_wait_event(20000);
    EXPECT_LT(timeGetTime() - start, 10000u) << "a message did not end the wait";
    AppEvent event{};
    ASSERT_EQ(poll_event(&event), 1);
    EXPECT_EQ(event.type, EVENT_KEY_DOWN);
}

TEST_F(Window, ReadsAndMovesTheOuterRectangle) {
    WindowRect rect{};
    platform_get_window_rect(&rect);
    RECT outer{};
    GetWindowRect(main_window, &outer);
    EXPECT_EQ(std::memcmp(&rect, &outer, sizeof outer), 0);

    platform_move_window(100, 50, rect.right - rect.left, rect.bottom - rect.top);
    WindowRect moved{};
    platform_get_window_rect(&moved);
    const WindowRect expected{100, 50, 100 + rect.right - rect.left, 50 + rect.bottom - rect.top};
    EXPECT_EQ(std::memcmp(&moved, &expected, sizeof moved), 0)
        << moved.left << "," << moved.top << " " << moved.right << "," << moved.bottom;
}

// F11 and Alt+Enter switch to fullscreen on the monitor and back, without a key event; the
// fullscreen window does not move.
TEST_F(Window, FullscreenKeysSwitchWithoutKeyEvents) {
    drain();
    RECT windowed{};
    GetWindowRect(main_window, &windowed);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(main_window, MONITOR_DEFAULTTONEAREST), &monitor));
    SendMessageA(main_window, WM_KEYDOWN, VK_F11, 1);
    SendMessageA(main_window, WM_KEYDOWN, VK_F11, 1 | (1 << 30));  // a repeat switches nothing
    SendMessageA(main_window, WM_KEYUP, VK_F11, 1);
    RECT outer{};
    GetWindowRect(main_window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &monitor.rcMonitor));
    EXPECT_EQ(GetWindowLongA(main_window, GWL_STYLE) & WS_BORDER, 0);
    platform_move_window(10, 10, 100, 100);
    GetWindowRect(main_window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &monitor.rcMonitor)) << "moved while fullscreen";

    SendMessageA(main_window, WM_SYSKEYDOWN, VK_RETURN, 1 | (1 << 29));
    SendMessageA(main_window, WM_SYSCHAR, '\r', 1 | (1 << 29));
    SendMessageA(main_window, WM_KEYUP, VK_RETURN, 1);  // Alt let go first
    GetWindowRect(main_window, &outer);
    EXPECT_TRUE(EqualRect(&outer, &windowed));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main_window, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              WIN32_WINDOW_STYLE);
    for (const AppEvent &event : drain()) {
        EXPECT_NE(event.type, EVENT_KEY_DOWN);
        EXPECT_NE(event.type, EVENT_KEY_UP);
    }
}

// XInput is there under Wine too; a pad's state read through it becomes key events once a pass,
// only while the window is active.
XINPUT_STATE fake_pad{};

DWORD WINAPI fake_get_state(DWORD user, XINPUT_STATE *state) {
    if (user != 2) {
        return ERROR_DEVICE_NOT_CONNECTED;
    }
    *state = fake_pad;
    return ERROR_SUCCESS;
}

TEST_F(Window, GamepadThroughXInputBecomesKeyEvents) {
    ASSERT_NE(main_gamepads.get_state, nullptr) << "XInput was not loaded";
    XINPUT_STATE state{};
    EXPECT_EQ(main_gamepads.get_state(0, &state), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    main_gamepads.get_state = fake_get_state;
    main_gamepads.next_search = timeGetTime();
    main_view.active = 1;
    const auto keys = [] {
        std::vector<uint32_t> seen;  // the payloads of the key events
        for (const AppEvent &event : drain()) {
            if (event.type == EVENT_KEY_DOWN || event.type == EVENT_KEY_UP) {
                seen.push_back(event.a);
            }
        }
        return seen;
    };
    keys();
    fake_pad.Gamepad.wButtons = XINPUT_GAMEPAD_DPAD_LEFT;
    EXPECT_EQ(keys(), (std::vector<uint32_t>{(VK_LEFT << 8) | 1u}));
    fake_pad.Gamepad.wButtons = 0;
    EXPECT_EQ(keys(), (std::vector<uint32_t>{VK_LEFT << 8}));
    fake_pad.Gamepad.wButtons = XINPUT_GAMEPAD_START;
    main_view.active = 0;
    EXPECT_EQ(keys(), (std::vector<uint32_t>{}));
    fake_pad.Gamepad.wButtons = 0;
}

TEST_F(Window, ShutdownDestroysTheWindowFreesTheQueueAndIsHarmlessTwice) {
    HWND window = main_window;
    window_proc(window, WM_PAINT, 0, 0);
    shutdown_platform();
    EXPECT_EQ(main_window, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(event_queue_head, nullptr) << "events queued during the destruction are freed too";
    EXPECT_EQ(event_queue_tail, &event_queue_head);
    shutdown_platform();
    EXPECT_EQ(main_window, nullptr);
    AppEvent event{};
    EXPECT_EQ(poll_event(&event), 0);
}

// The icon resource holds the embedded icon pictures, pixel for pixel, the right way up.
TEST(Icon, ResourceImagesAreTheEmbeddedPictures) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (int i = 0; i < 3; ++i) {
        const int size = ICON_SIZES[i];
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(module, "IDI_APP", IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAPINFO header{};  // 32-bit, bottom row first as the embedded pictures
        header.bmiHeader = {sizeof(BITMAPINFOHEADER), size, size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint8_t> bgra(static_cast<size_t>(size * size * 4));
        HDC dc = GetDC(nullptr);
        EXPECT_EQ(GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(size), bgra.data(), &header, DIB_RGB_COLORS), size);
        ReleaseDC(nullptr, dc);
        std::vector<uint8_t> rgba(static_cast<size_t>(size * size * 4 + 1));
        decode_text6(&IMAGE_ICONS[i], rgba.data());
        int mismatches = 0;
        for (size_t p = 0; p < bgra.size(); p += 4) {
            std::swap(rgba[p], rgba[p + 2]);
            mismatches += std::memcmp(&bgra[p], &rgba[p], 4) != 0 ? 1 : 0;
        }
        EXPECT_EQ(mismatches, 0);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
