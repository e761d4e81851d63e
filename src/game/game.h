// The game record, the piece catalogue and the rules that change them.
// Nothing here draws or talks to the window system: time and randomness come in from outside.
#pragma once

#include <cstdint>

struct TextureSet;

// Modes are single bits so that groups of modes can be tested with one mask.
using GameMode = int32_t;
constexpr GameMode MODE_INTRO = 1;        // title fade-in; ends when ticks exceeds 50
constexpr GameMode MODE_WAIT_START = 2;   // help text; the first key release starts the game
constexpr GameMode MODE_FALLING = 4;      // the current piece falls under gravity
constexpr GameMode MODE_PAUSED = 8;       // the window is inactive; no ticks run
constexpr GameMode MODE_CLEARING = 16;    // full rows flash before they are removed
constexpr GameMode MODE_SLAM = 32;        // the piece drops two rows per tick
constexpr GameMode MODE_LANDED = 64;      // the piece rests; the lock delay runs
constexpr GameMode MODE_SETTLE = 128;     // locked without a full row; pause before the next piece
constexpr GameMode MODE_GAME_OVER = 256;  // the play-again question is shown
constexpr GameMode MODE_QUIT = 512;       // the main loop ends

constexpr int BOARD_ROWS = 20;     // row 0 is the top row
constexpr int BOARD_COLUMNS = 10;  // column 0 is the left column
constexpr int PIECE_KINDS = 7;

// One piece: its kind, rotation and the well position of the top-left cell of its 4 by 4 box.
struct PieceState {
    int32_t kind;      // 0 to 6
    int32_t rotation;  // 0 to 3, index into piece_shapes
    int32_t column;    // well column of the box's left edge (may be negative)
    float row;         // well row of the box's top edge; fractional while falling
};

// The one record of a game. A board cell is 0 when empty, else kind * 16 + tile code (1 to 15).
struct GameState {
    PieceState current;                     // the piece in play (or the one just locked)
    PieceState queue[2];                    // the next piece and the one after it
    uint32_t ticks;                         // tick counter; reset when a mode starts
    float fall_speed;                       // rows per tick under gravity
    GameMode mode;                          // the current mode
    GameMode saved_mode;                    // the mode to return to when the window is active again
    uint8_t board[BOARD_ROWS][BOARD_COLUMNS];
    int32_t cleared_rows[4];                // full rows of the last lock, ascending, -1 for none
    int32_t key_guard;                      // 1: held move keys do nothing until one is released
    int32_t score;                          // points of this game
    int32_t bonus;                          // points earned by the current piece
    int32_t level;                          // score / 100
    int32_t shift_held;                     // a left, right or rotate key is down
    int32_t soft_drop;                      // a faster key is down
    const TextureSet *textures;             // owned by the main loop; never touched by the rules
    uint32_t random_state;                  // the piece generator's state (see game_seed_random)
};

// The seven kinds in four rotations, one 16-bit word per box row; the most significant
// nibble is box column 0 and each non-zero nibble is the tile code of a cell.
extern const uint16_t piece_shapes[PIECE_KINDS][4][4];

// Seeds the piece generator (the program seeds it once with the calendar time in seconds).
void game_seed_random(GameState *state, uint32_t seed);
// Next number of the generator: state = state * 214013 + 2531011, result bits 16 to 30.
int game_random(GameState *state);

// Sets the record up for the program's first game: seeds the generator, starts the intro with
// the input flags cleared and no rows marked, then game_new.
void game_start(GameState *state, uint32_t seed);
// Resets the record for a new game; mode, saved_mode, shift_held and soft_drop are left alone.
void game_new(GameState *state);
// Spawns queue[0] as the current piece, or ends the game when its entry cells are taken.
void piece_advance_queue(GameState *state);

// 1 when the piece overlaps a side wall, the floor or an occupied cell of board[20][10].
int piece_collides(const PieceState *piece, const uint8_t *board);
// Shifts and/or turns the current piece in MODE_FALLING and MODE_LANDED; refuses a move that collides.
void piece_try_move(GameState *state, int column_delta, int rotation_delta);
// Ends a fall: snaps to a free whole row, sets the drop bonus and starts the lock delay.
void piece_land(GameState *state, int slam);
// Writes the current piece's cells into the board; cells above the well are dropped.
void piece_lock(GameState *state);

// One step of the mode machine: gravity, slam, lock delay, locking, clearing and spawning.
void game_tick(GameState *state);

// Rows per tick under gravity at a level: (level + 3) * 0.01 rounded once to single precision.
float game_fall_speed(int32_t level);
// Ticks a resting piece waits before it locks: ceil(1.0 / fall_speed) taken in double precision.
uint32_t game_lock_delay(float fall_speed);
// Adds bonus to score (saturating) and recomputes level and fall_speed from the score.
void game_score_bonus(GameState *state);

// Records the full rows in cleared_rows and scores them; returns how many there are (0 to 4).
int board_find_full_rows(GameState *state);
// Removes the rows in cleared_rows, drops the rows above and repairs the cut links.
void board_collapse_rows(GameState *state);
// Cuts every down link in one board row (its lower neighbour row was removed).
void board_unlink_down(uint8_t board[BOARD_ROWS][BOARD_COLUMNS], int row);
// Cuts every up link in one board row (its upper neighbour row was removed).
void board_unlink_up(uint8_t board[BOARD_ROWS][BOARD_COLUMNS], int row);
