// A real Mesa OpenGL context without a window, for tests that draw or create textures.
//
// Linking: target_link_libraries(<test> PRIVATE stakmir_test_gl). The target brings libOSMesa,
// which itself supplies every gl* function (fixed-function, compatibility profile, with
// GL_EXT_texture_compression_s3tc); never link OpenGL::GL (libGL) into the same executable.
// Register such tests with stakmir_gl_test(<test>) instead of gtest_discover_tests: it adds
// the LeakSanitizer suppressions for Mesa's own allocations (tests/support/lsan.supp).
// The PNG helpers of png_io.h come with it.
#pragma once

#include <cstdint>
#include <vector>

#include "png_io.h"

// Opens a width by height RGBA context, makes it current and fills the compressed-texture
// entry points as the game's window does; with `s3tc` false they stay null, as on a driver
// without the extension. Closes any context opened before. False with a message on failure.
bool test_gl_open(int width = 480, int height = 320, bool s3tc = true);
// Destroys the context and clears the compressed-texture entry points; safe when none is open.
void test_gl_close();
// Finishes drawing and reads the whole framebuffer: width * height * 4 bytes RGBA, bottom row
// first. Empty when no context is open.
std::vector<uint8_t> test_gl_read_rgba();
// The size of the open context's framebuffer (0 when none is open).
int test_gl_width();
int test_gl_height();
// Looks up an OpenGL function by name (for those beyond OpenGL 1.1); null when unknown.
void *test_gl_proc(const char *name);
