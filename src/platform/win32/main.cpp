// The process entry of the Windows program: it hands over to the program's body.
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

int app_main(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show_command*/) {
    app_instance = instance;
    return run_game_loop();
}

// The C library's start-up calls WinMain for a program of the windows subsystem.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command) {
    return app_main(instance, previous, command_line, show_command);
}
