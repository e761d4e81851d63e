// The program's entry. Stakmir takes no options and reads no files: everything it needs is
// compiled in, and the whole run is the main loop, whose result is the exit status.
#include "game/loop.h"

int main() {
    return run_game_loop();
}
