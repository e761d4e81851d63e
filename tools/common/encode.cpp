#include "common/encode.h"

#include <fstream>
#include <sstream>

namespace tools {

std::string encode_text6(const std::vector<uint8_t> &bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (left > 1) group |= uint32_t(bytes[i + 1]) << 8;
        if (left > 2) group |= bytes[i + 2];
        const size_t chars = left >= 3 ? 4 : left + 1;
        for (size_t k = 0; k < chars; ++k) {
            text.push_back(char('0' + ((group >> (18 - 6 * k)) & 63)));
        }
    }
    return text;
}

// A C++ string literal body for six-bit text: the backslash is escaped, and so is every
// question mark so that no pair of them can ever be read as a trigraph.
static std::string quoted(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '?') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string encoded_list_source(const std::string &name, const std::vector<uint8_t> &bytes,
                                size_t chunk) {
    const std::string text = encode_text6(bytes);
    std::string source = "static const char *const " + name + "[] = {\n";
    for (size_t i = 0; i < text.size(); i += chunk) {
        source += "    \"" + quoted(text.substr(i, chunk)) + "\",\n";
    }
    source += "    \"\",\n};\n";
    return source;
}

bool write_encoded_image(FILE *out, const std::string &name, const std::vector<uint8_t> &bytes,
                         size_t chunk) {
    const std::string list = encoded_list_source(name + "_text", bytes, chunk);
    std::fputs(list.c_str(), out);
    std::fprintf(out, "extern const EncodedImage %s = {%s_text};\n\n", name.c_str(), name.c_str());
    return std::ferror(out) == 0;
}

bool write_file_if_changed(const std::string &path, const std::string &text) {
    std::ifstream old(path, std::ios::binary);
    if (old) {
        std::ostringstream current;
        current << old.rdbuf();
        if (current.str() == text) return true;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();  // a full disk shows up only when the last bytes are flushed
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace tools
