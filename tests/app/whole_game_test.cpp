// Whole games driven through the loop's event rules and tick timing, as the program drives them:
// a scripted game from the intro to the play-again answer, with the sounds it calls for, and
// long randomised runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "loop_test_support.h"

using namespace game_test;

namespace {

constexpr uint8_t KEY_LEFT = 0x25, KEY_RIGHT = 0x27, KEY_ROTATE = 0x26, KEY_FASTER = 0x28;
constexpr uint8_t KEY_SLAM = 0x20, KEY_YES = 0x59, KEY_SHIFT = 0x10, KEY_MUTE = 0x4D;
constexpr uint8_t KEY_P = 0x50, KEY_PAUSE = 0x13;

// The program's loop without a window: events go through loop_handle_event, time through
// loop_run_tick with a simulated millisecond clock, and each step's sounds are noted in order.
struct Session {
    Recorder window;
    LoopState loop{};
    GameState state{};
    LoopHearing hearing{};
    uint32_t clock = 5000;
    int ticks_run = 0;
    std::vector<SoundId> heard;
    std::vector<uint32_t> pulses;  // the touch device's pulses, in order
    int mute_toggles = 0;

    explicit Session(uint32_t seed) {
        game_start(&state, seed);
        loop_start(&loop, clock);
        loop_hearing_start(&hearing, &state);
    }
    void hear(const GameState &before, const AppEvent *event) {
        const LoopSounds sounds = loop_sounds(&hearing, &before, &state, event);
        heard.insert(heard.end(), sounds.ids, sounds.ids + sounds.count);
        if (sounds.pulse_ms != 0) {
            pulses.push_back(sounds.pulse_ms);
        }
        mute_toggles += sounds.toggle_mute ? 1 : 0;
    }
    // One pass of the loop with one event.
    void send(const AppEvent &event) {
        loop_begin_pass(&loop);
        const GameState before = state;
        loop_handle_event(&loop, &state, &event, &window.hooks);
        hear(before, &event);
    }
    void press(uint8_t code) {
        send(key_down(code));
        send(key_up(code));
    }
    // One pass of the loop after `ms` milliseconds.
    void pass(uint32_t ms) {
        clock += ms;
        loop_begin_pass(&loop);
        const GameState before = state;
        if (loop_run_tick(&loop, &state, clock, &window.hooks) != 0) {
            ++ticks_run;
            hear(before, nullptr);
        }
    }
    // Ticks at the full rate until one of the modes is reached; fails after `limit` ticks.
    void tick_until_mode(GameMode modes, int limit = 2000) {
        for (int n = 0; n < limit && (state.mode & modes) == 0; ++n) {
            pass(17);
        }
        ASSERT_NE(state.mode & modes, 0) << "mode " << state.mode;
    }
    // Ticks until the next piece is in play (or the game is over).
    void tick_to_next_piece() { tick_until_mode(MODE_FALLING | MODE_GAME_OVER); }
};

// Fills rows first..last of the board except the given column.
void fill_rows_but(GameState &state, int first, int last, int gap) {
    for (int r = first; r <= last; ++r) {
        fill_row(state, r, gap);
    }
}

}  // namespace

// A scripted game: intro, clears of one to four rows, level changes, game over and yes back to
// waiting; what is heard of it in order, and the mute key.
TEST(WholeGame, ScriptedFromIntroToPlayAgain) {
    const std::vector<std::string> empty_board(BOARD_ROWS, "..........");
    Session s(1);
    // The intro: 51 ticks, each followed by one frame.
    s.tick_until_mode(MODE_WAIT_START);
    EXPECT_EQ(s.ticks_run, 51);
    EXPECT_EQ(s.window.frames, 51);
    s.pass(17);  // waiting only counts
    EXPECT_EQ(s.state.mode, MODE_WAIT_START);

    // Piece 1: a square into a one-row gap, with the faster key held. 10 line points, no drop bonus.
    s.state.current = piece(3, 0, 3, -3.0f);
    s.state.queue[0] = piece(3, 0, 3, -3.0f);
    fill_row(s.state, 19, 4);
    s.state.board[19][5] = 0;
    s.send(key_up(KEY_SHIFT));
    ASSERT_EQ(s.state.mode, MODE_FALLING);
    s.send(key_down(KEY_FASTER));
    s.tick_until_mode(MODE_CLEARING);
    EXPECT_EQ(s.state.score, 10);
    EXPECT_EQ(s.state.cleared_rows[0], 19);
    s.tick_to_next_piece();
    EXPECT_EQ(s.state.key_guard, 1);  // the faster key was still held at the spawn
    EXPECT_EQ(s.state.soft_drop, 0);
    s.send(key_up(KEY_FASTER));
    EXPECT_EQ(occupancy(s.state)[19], "....##....");  // the square's upper half dropped

    // Piece 2: the next square slammed into a two-row gap: slam of 10 ticks earns 2, plus 25.
    fill_rows_but(s.state, 18, 19, 4);
    s.state.board[18][5] = s.state.board[19][5] = 0;
    s.state.queue[0] = piece(2, 0, 3, -1.0f);
    s.send(key_down(KEY_SLAM));
    s.tick_until_mode(MODE_CLEARING);
    EXPECT_EQ(s.state.bonus, 27);
    EXPECT_EQ(s.state.score, 37);
    s.tick_to_next_piece();

    // Piece 3: a long piece turned upright, moved to column 9 and slammed into three rows.
    fill_rows_but(s.state, 17, 19, 9);
    s.state.board[16][0] = 0x3F;  // row 16 is not full
    s.state.queue[0] = piece(2, 0, 3, -1.0f);
    s.press(KEY_ROTATE);
    ASSERT_EQ(s.state.current.rotation, 3);  // upright in box column 2: well column 5
    for (int i = 0; i < 5; ++i) {
        s.press(KEY_RIGHT);  // the fifth is refused by the wall
    }
    EXPECT_EQ(s.state.current.column, 7);
    s.send(key_down(KEY_SLAM));
    s.tick_until_mode(MODE_CLEARING);
    EXPECT_EQ(s.state.cleared_rows[2], 19);
    EXPECT_EQ(s.state.bonus, 75 + 3);  // landed in the 9th slam tick
    EXPECT_EQ(s.state.score, 115);
    EXPECT_EQ(s.state.level, 1);
    EXPECT_EQ(s.state.fall_speed, 0.04f);
    s.tick_to_next_piece();
    EXPECT_EQ(occupancy(s.state)[19], "#........#");  // row 16 with the piece's top, down by three

    // Piece 4: another long piece upright into column 0, four rows at once, under gravity.
    fill_rows_but(s.state, 16, 19, 0);
    s.state.queue[0] = piece(0, 0, 3, -3.0f);
    s.press(KEY_ROTATE);
    for (int i = 0; i < 6; ++i) {
        s.send(key_down(KEY_LEFT));  // held: five to column -2, the sixth refused; one sound
    }
    s.send(key_up(KEY_LEFT));
    EXPECT_EQ(s.state.current.column, -2);
    // Paused by P on the way down: time passes and the focus goes and comes back, but nothing
    // moves until the Pause key goes on.
    GameState before_pause = s.state;
    before_pause.saved_mode = MODE_FALLING;  // the mode the pause saved
    s.press(KEY_P);
    const int ticks_before_pause = s.ticks_run;
    for (int i = 0; i < 30; ++i) {
        s.pass(17);
    }
    s.send(plain_event(EVENT_DEACTIVATE));
    s.send(plain_event(EVENT_ACTIVATE));
    EXPECT_EQ(s.state.mode, MODE_PAUSED);
    EXPECT_EQ(s.ticks_run, ticks_before_pause);
    s.press(KEY_PAUSE);
    EXPECT_TRUE(same_record(s.state, before_pause));
    s.tick_until_mode(MODE_LANDED);
    EXPECT_EQ(s.state.bonus, 0);
    s.tick_until_mode(MODE_CLEARING);
    EXPECT_EQ(s.state.bonus, 300);
    EXPECT_EQ(s.state.score, 415);
    EXPECT_EQ(s.state.level, 4);
    EXPECT_EQ(s.state.fall_speed, 7.0f * 0.01f);
    s.tick_to_next_piece();
    EXPECT_EQ(occupancy(s.state), empty_board);

    // Piece 5: a kind-0 piece stopped high on a column of cells; the next one cannot enter.
    for (int r = 1; r < 20; ++r) {
        s.state.board[r][4] = 0x0F;
    }
    s.state.queue[0] = piece(3, 0, 3, -3.0f);
    s.tick_until_mode(MODE_GAME_OVER);
    EXPECT_EQ(s.state.current.kind, 3);
    EXPECT_EQ(s.state.score, 415 + 9);  // landed on the first tick
    EXPECT_EQ(s.state.level, 4);
    EXPECT_EQ(s.state.fall_speed, 7.0f * 0.01f);
    EXPECT_EQ(occupancy(s.state)[0], "....#.....");
    EXPECT_EQ(s.state.board[0][4], 0x0E);  // the kind-0 cell below the middle, link up kept
    EXPECT_EQ(s.window.frames, s.ticks_run + 1);  // and the paused frame

    // The question is answered on release: yes starts a new game waiting for a key.
    s.send(key_down(KEY_YES));
    EXPECT_EQ(s.state.mode, MODE_GAME_OVER);
    s.send(key_up(KEY_YES));
    EXPECT_EQ(s.state.mode, MODE_WAIT_START);
    EXPECT_EQ(s.state.score, 0);
    EXPECT_EQ(s.state.level, 0);
    EXPECT_EQ(s.state.fall_speed, 0.03f);
    EXPECT_EQ(occupancy(s.state), empty_board);
    EXPECT_EQ(s.mute_toggles, 0);
    s.send(key_down(KEY_MUTE));
    s.send(key_down(KEY_MUTE));  // a repeat does not toggle again
    EXPECT_EQ(s.mute_toggles, 1);
    s.send(key_up(KEY_MUTE));  // the rules see it as any key: its release starts
    EXPECT_EQ(s.state.mode, MODE_FALLING);
    const std::vector<SoundId> expected = {
        SOUND_START,   SOUND_CLEAR_1, SOUND_SLAM,  SOUND_CLEAR_2,   SOUND_TURN, SOUND_SHIFT,     SOUND_SHIFT,
        SOUND_SHIFT,   SOUND_SHIFT,   SOUND_SLAM,  SOUND_CLEAR_3,   SOUND_LEVEL, SOUND_TURN,     SOUND_SHIFT,
        SOUND_CLEAR_4, SOUND_LANDSCAPE, SOUND_LOCK, SOUND_GAME_OVER, SOUND_START};
    EXPECT_EQ(s.heard, expected);
    // A touch device pulses at every clear, longer, and at the lock that fills no row.
    const std::vector<uint32_t> pulses = {LOOP_PULSE_CLEAR_MS, LOOP_PULSE_CLEAR_MS, LOOP_PULSE_CLEAR_MS,
                                          LOOP_PULSE_CLEAR_MS, LOOP_PULSE_LOCK_MS};
    EXPECT_EQ(s.pulses, pulses);
}

namespace {

bool valid_mode(GameMode mode) { return mode > 0 && mode <= MODE_QUIT && (mode & (mode - 1)) == 0; }

// The record's invariants: valid cell bytes and modes, a piece in play never overlaps the board or a
// wall, the score never falls and level and speed follow it.
void check_invariants(const GameState &state, int32_t previous_score) {
    for (const auto &row : state.board) {
        for (uint8_t cell : row) {
            ASSERT_TRUE(cell == 0 || ((cell >> 4) < PIECE_KINDS && (cell & 0x0F) != 0)) << "cell " << int(cell);
        }
    }
    ASSERT_TRUE(valid_mode(state.mode) && valid_mode(state.saved_mode)) << state.mode << " " << state.saved_mode;
    const PieceState &p = state.current;
    ASSERT_FALSE((state.mode & (MODE_FALLING | MODE_LANDED | MODE_SLAM)) != 0 && piece_collides(&p, &state.board[0][0]))
        << "piece in play overlaps: mode " << state.mode << " kind " << p.kind << " rotation " << p.rotation
        << " column " << p.column << " row " << p.row;
    ASSERT_TRUE(state.score >= previous_score && state.level == state.score / 100 &&
                state.fall_speed == game_fall_speed(state.level))
        << "score " << state.score << " after " << previous_score << " level " << state.level;
}

// Every movement code once, the arrows again so that pieces spread out, the answers, the pause
// keys and two keys that no table lists.
constexpr uint8_t RANDOM_KEYS[] = {0x0C, 0x26, 0x35, 0x38, 0x65, 0x68, 0x25, 0x34, 0x64, 0x27,
                                   0x36, 0x66, 0x28, 0x32, 0x62, 0x20, 0x22, 0x33, 0x63, 0x59,
                                   0x79, 0x10, 0x41, 0x4E, 0x25, 0x25, 0x27, 0x27, 0x26, 0x50,
                                   0x13};

}  // namespace

// Long randomised runs of keys, passes, focus changes and drags keep the record's invariants after
// every step; every clear is heard with its number of rows, and nothing is heard while paused or
// when the game goes on again.
TEST(WholeGame, RandomisedPlayKeepsTheRecordSound) {
    int games_over = 0;
    int clears[5] = {};
    int heard_clears[5] = {};
    for (uint32_t seed : {1u, 2u, 3u, 2024u}) {
        std::mt19937 random(seed);
        Session s(seed);
        int32_t previous_score = 0;
        for (int step = 0; step < 60000; ++step) {
            const GameMode before = s.state.mode;
            const size_t heard_before = s.heard.size();
            const uint32_t choice = random() % 100;
            if (choice < 45) {
                s.pass(random() % 40);
            } else if (choice < 96) {
                const uint8_t code = RANDOM_KEYS[random() % std::size(RANDOM_KEYS)];
                const bool is_no = code == 0x4E;
                if (is_no && random() % 20 != 0) {
                    continue;  // keep most games going
                }
                s.send(random() % 2 ? key_down(code) : key_up(code));
            } else if (choice < 98) {
                s.send(plain_event(random() % 2 ? EVENT_DEACTIVATE : EVENT_ACTIVATE));
            } else {
                s.send(mouse_event(EVENT_MOUSE_MOVE, random() % 2, random() % 480, random() % 320));
            }
            if (before == MODE_WAIT_START && s.state.mode == MODE_FALLING) {
                // Random play alone rarely fills a row: start each game on rows with one gap
                // each, often in the same column, so that clears of several rows happen too.
                int gap = static_cast<int>(random() % 10);
                for (int r = 12; r < BOARD_ROWS; ++r) {
                    gap = random() % 2 ? gap : static_cast<int>(random() % 10);
                    fill_row(s.state, r, gap, static_cast<uint8_t>(16 * (random() % 7) + 15));
                }
            }
            if (before == MODE_GAME_OVER && s.state.mode == MODE_WAIT_START) {
                previous_score = 0;  // answered yes: a new game
                ++games_over;
            }
            if (before != MODE_PAUSED && before != MODE_CLEARING && s.state.mode == MODE_CLEARING) {
                const int32_t *rows = s.state.cleared_rows;
                ++clears[std::count_if(rows, rows + 4, [](int32_t row) { return row >= 0; })];
            }
            if (before == MODE_PAUSED || (before & s.state.mode & MODE_QUIT) != 0) {  // also none on the way back
                ASSERT_EQ(s.heard.size(), heard_before) << "a sound while paused: seed " << seed << " step " << step;
            }
            check_invariants(s.state, previous_score);
            ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << " step " << step;
            previous_score = s.state.score;
            if (s.state.mode == MODE_QUIT) {
                game_start(&s.state, seed + static_cast<uint32_t>(step));
                previous_score = 0;
            }
            if (s.state.mode == MODE_PAUSED && random() % 4 == 0) {
                s.send(plain_event(EVENT_ACTIVATE));
            }
        }
        for (const SoundId id : s.heard) {
            if (id >= SOUND_CLEAR_1 && id <= SOUND_CLEAR_4) {
                ++heard_clears[id - SOUND_CLEAR_1 + 1];
            }
        }
    }
    // The runs really played: games ended and rows were cleared.
    EXPECT_GT(games_over, 4);
    EXPECT_GT(clears[1], 0);
    EXPECT_GT(clears[2], 0);
    EXPECT_EQ(clears[0], 0);
    EXPECT_TRUE(std::equal(clears + 1, clears + 5, heard_clears + 1));
}
