#include "tests/support.h"
#include "tests/system.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tavrel_test {

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

std::string progress_through(std::size_t offset) {
    const std::string header_line = sjis("NESヘッダ処理中\n");
    const std::string prg_line = sjis("PRG処理中\n");
    const std::string chr_line = sjis("CHR処理中\n");
    if (offset < 0x10) {
        return header_line;
    }
    if (offset < 0x8010) {
        return header_line + prg_line;
    }
    if (offset < 0x20010) {
        return header_line + prg_line + prg_line;
    }
    return header_line + prg_line + prg_line + chr_line;
}

std::FILE* temporary_file_with(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        throw std::runtime_error("cannot make a temporary file");
    }
    std::rewind(file);
    return file;
}

std::string contents_of(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string bytes;
    char block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.append(block, got);
    }
    return bytes;
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

std::string make_temp_dir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto dir =
            std::filesystem::temp_directory_path() / ("tavrel-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(dir)) {
            return dir.string();
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

} // namespace tavrel_test
