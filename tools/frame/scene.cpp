// Scene statements: each sets part of a game record from words of text, checking every value
// so that no input can make the renderer read outside its tables.
#include "scene.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct ModeName {
    const char *name;
    GameMode mode;
};

constexpr ModeName MODE_NAMES[] = {
    {"intro", MODE_INTRO},     {"wait-start", MODE_WAIT_START}, {"falling", MODE_FALLING},
    {"paused", MODE_PAUSED},   {"clearing", MODE_CLEARING},     {"slam", MODE_SLAM},
    {"landed", MODE_LANDED},   {"settle", MODE_SETTLE},         {"game-over", MODE_GAME_OVER},
};

// Whole decimal number within [low, high].
bool parse_int(const std::string &text, long long low, long long high, long long *out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = value;
    return true;
}

// Finite decimal number within [low, high], rounded to float.
bool parse_float(const std::string &text, double low, double high, float *out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < low || value > high) {
        return false;
    }
    *out = static_cast<float>(value);
    return true;
}

// A board cell: "." or "0" for empty, else a hex byte of kind 0 to 6 and tile code 1 to 15.
bool parse_cell(const std::string &text, uint8_t *out) {
    if (text == "." || text == "0" || text == "00") {
        *out = 0;
        return true;
    }
    if (text.empty() || text.size() > 2 || !std::isxdigit(static_cast<unsigned char>(text[0])) ||
        !std::isxdigit(static_cast<unsigned char>(text.back()))) {
        return false;
    }
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 16);
    if (*end != '\0' || value / 16 > 6 || value % 16 == 0) {
        return false;
    }
    *out = static_cast<uint8_t>(value);
    return true;
}

PieceState spawn_piece(int kind) { return PieceState{kind, 0, 3, kind == 2 ? -1.0f : -3.0f}; }

bool fail(std::string *error, const std::string &message) {
    *error = message;
    return false;
}

bool need(const std::string &key, const std::vector<std::string> &args, size_t count, std::string *error) {
    if (args.size() != count) {
        return fail(error, key + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s") + ", got " +
                               std::to_string(args.size()));
    }
    return true;
}

bool apply_mode(GameState *s, const std::vector<std::string> &args, std::string *error) {
    for (const ModeName &m : MODE_NAMES) {
        if (args[0] == m.name) {
            s->mode = m.mode;
            s->saved_mode = m.mode;
            return true;
        }
    }
    return fail(error, "unknown mode '" + args[0] +
                           "' (intro, wait-start, falling, paused, clearing, slam, landed, settle, game-over)");
}

bool apply_current(GameState *s, const std::vector<std::string> &args, std::string *error) {
    long long kind = 0, rotation = 0, column = 0;
    float row = 0.0f;
    if (!parse_int(args[0], 0, 6, &kind) || !parse_int(args[1], 0, 3, &rotation) ||
        !parse_int(args[2], -100, 100, &column) || !parse_float(args[3], -100.0, 100.0, &row)) {
        return fail(error, "current needs kind 0-6, rotation 0-3, column -100..100 and row -100..100");
    }
    s->current = PieceState{static_cast<int32_t>(kind), static_cast<int32_t>(rotation), static_cast<int32_t>(column), row};
    return true;
}

bool apply_queue(GameState *s, const std::vector<std::string> &args, std::string *error) {
    long long first = 0, second = 0;
    if (!parse_int(args[0], 0, 6, &first) || !parse_int(args[1], 0, 6, &second)) {
        return fail(error, "queue needs two kinds 0-6");
    }
    s->queue[0] = spawn_piece(static_cast<int>(first));
    s->queue[1] = spawn_piece(static_cast<int>(second));
    return true;
}

bool apply_cleared(GameState *s, const std::vector<std::string> &args, std::string *error) {
    for (int k = 0; k < 4; ++k) {
        long long row = 0;
        if (!parse_int(args[static_cast<size_t>(k)], -1, BOARD_ROWS - 1, &row)) {
            return fail(error, "cleared needs four rows, each -1 or 0-19");
        }
        s->cleared_rows[k] = static_cast<int32_t>(row);
    }
    return true;
}

bool apply_row(GameState *s, const std::vector<std::string> &args, std::string *error) {
    long long row = 0;
    if (!parse_int(args[0], 0, BOARD_ROWS - 1, &row)) {
        return fail(error, "row needs a row number 0-19 first, got '" + args[0] + "'");
    }
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        const std::string &cell = args[static_cast<size_t>(c) + 1];
        if (!parse_cell(cell, &s->board[row][c])) {
            return fail(error, "bad cell '" + cell + "': use . or a hex byte, kind 0-6 and tile 1-F (e.g. 2F)");
        }
    }
    return true;
}

// Statements that set one integer field.
bool apply_number(GameState *s, const std::string &key, const std::string &arg, std::string *error) {
    long long value = 0;
    if (key == "ticks") {
        if (!parse_int(arg, 0, UINT32_MAX, &value)) {
            return fail(error, "ticks needs a number 0-4294967295, got '" + arg + "'");
        }
        s->ticks = static_cast<uint32_t>(value);
    } else if (key == "level") {
        if (!parse_int(arg, 0, INT32_MAX, &value)) {
            return fail(error, "level needs a number 0-2147483647, got '" + arg + "'");
        }
        s->level = static_cast<int32_t>(value);
    } else {
        if (!parse_int(arg, INT32_MIN, INT32_MAX, &value)) {
            return fail(error, "score needs a 32-bit number, got '" + arg + "'");
        }
        s->score = static_cast<int32_t>(value);
    }
    return true;
}

}  // namespace

GameState scene_default() {
    GameState s{};
    s.mode = MODE_FALLING;
    s.saved_mode = MODE_FALLING;
    s.current = spawn_piece(0);
    s.queue[0] = spawn_piece(2);
    s.queue[1] = spawn_piece(3);
    for (int32_t &r : s.cleared_rows) {
        r = -1;
    }
    s.fall_speed = 0.03f;
    return s;
}

bool scene_apply(GameState *state, const std::string &key, const std::vector<std::string> &args,
                 std::string *error) {
    if (key == "mode") {
        return need(key, args, 1, error) && apply_mode(state, args, error);
    }
    if (key == "ticks" || key == "level" || key == "score") {
        return need(key, args, 1, error) && apply_number(state, key, args[0], error);
    }
    if (key == "current") {
        return need(key, args, 4, error) && apply_current(state, args, error);
    }
    if (key == "queue") {
        return need(key, args, 2, error) && apply_queue(state, args, error);
    }
    if (key == "cleared") {
        return need(key, args, 4, error) && apply_cleared(state, args, error);
    }
    if (key == "row") {
        return need(key, args, 1 + BOARD_COLUMNS, error) && apply_row(state, args, error);
    }
    return fail(error, "unknown statement '" + key + "'");
}

bool scene_load(GameState *state, const std::string &path, std::string *error) {
    std::ifstream file(path);
    if (!file) {
        return fail(error, path + ": cannot open");
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        std::istringstream words(line);
        std::string key;
        if (!(words >> key)) {
            continue;
        }
        std::vector<std::string> args;
        for (std::string w; words >> w;) {
            args.push_back(w);
        }
        std::string message;
        if (!scene_apply(state, key, args, &message)) {
            return fail(error, path + ":" + std::to_string(number) + ": " + message);
        }
    }
    if (file.bad()) {
        return fail(error, path + ": read error");
    }
    return true;
}

const char *scene_help() {
    return "  mode NAME                intro, wait-start, falling, paused, clearing, slam, landed,\n"
           "                           settle or game-over (default falling)\n"
           "  ticks N                  the tick counter, 0-4294967295 (default 0)\n"
           "  level N                  0 and up (default 0)\n"
           "  score N                  (default 0)\n"
           "  current K R C ROW        piece kind 0-6, rotation 0-3, column and row (fractions allowed)\n"
           "  queue K K                kinds of the next piece and the one after (default 2 3)\n"
           "  cleared R R R R          rows being cleared, -1 for none (default all -1)\n"
           "  row R C0 ... C9          board row 0-19 (0 is the top): '.' or a hex cell byte,\n"
           "                           kind * 16 + tile code 1-F, e.g. 1F\n";
}
