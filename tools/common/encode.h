// Writing pictures as embedded data: the six-bit text encoding and the C++ source that carries it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tools {

// Encodes bytes as six-bit text ("0" to "o"): three bytes to four characters, a last group
// of one or two bytes to two or three characters.
std::string encode_text6(const std::vector<uint8_t> &bytes);

// Source text of `static const char *const <name>[]` holding the encoded bytes in strings of
// `chunk` characters, ending with an empty string.
std::string encoded_list_source(const std::string &name, const std::vector<uint8_t> &bytes,
                                size_t chunk = 128);

// Writes `static const char *const <name>_text[]` holding the encoded bytes in strings of
// `chunk` characters, ending with an empty string, and an extern EncodedImage `<name>` over
// it. Returns false on a write error.
bool write_encoded_image(FILE *out, const std::string &name, const std::vector<uint8_t> &bytes,
                         size_t chunk = 128);

// Writes `text` to `path` only if the file's content differs; false with a message on error.
bool write_file_if_changed(const std::string &path, const std::string &text);

}  // namespace tools
