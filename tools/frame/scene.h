// A game state described in text, for rendering single frames: scene files and options.
#pragma once

#include <string>
#include <vector>

#include "game/game.h"

// A record ready to draw: falling mode, nothing on the board, pieces at their spawn places.
GameState scene_default();
// Applies one statement, `key` with its arguments (e.g. "ticks" {"12"}); false and a one-line
// message in `error` when the key is unknown or an argument is out of range.
bool scene_apply(GameState *state, const std::string &key, const std::vector<std::string> &args,
                 std::string *error);
// Applies every statement of a scene file, one per line, words separated by blanks, '#'
// starting a comment; false with a one-line message naming the file and line.
bool scene_load(GameState *state, const std::string &path, std::string *error);
// The usage text listing every statement.
const char *scene_help();
