#include "tests/support.h"

#include <fstream>
#include <iconv.h>
#include <iterator>
#include <stdexcept>

namespace tavrel_test {

std::string sjis(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
    }
    std::string in = utf8;
    std::string out(in.size() * 2 + 1, '\0');
    char* in_next = in.data();
    std::size_t in_left = in.size();
    char* out_next = out.data();
    std::size_t out_left = out.size();
    const std::size_t converted = iconv(converter, &in_next, &in_left, &out_next, &out_left);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || in_left != 0) {
        throw std::runtime_error("text has no CP932 form: " + utf8);
    }
    out.resize(out.size() - out_left);
    return out;
}

std::string pattern_bytes(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string expected_image(const std::string& source) {
    std::string image(0x40010, '\0');
    for (std::size_t out = 0; out < image.size(); ++out) {
        std::size_t in;
        if (out < 0x8010) {
            in = out; // header, then the PRG-ROM whole
        } else if (out < 0x20010) {
            in = 0x10 + (out - 0x8010) % 0x2000; // first 8 KB of PRG-ROM, again and again
        } else {
            in = 0x8010 + (out - 0x20010) % 0x2000; // CHR-ROM, sixteen times
        }
        image[out] = in < source.size() ? source[in] : '\xFF';
    }
    return image;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace tavrel_test
