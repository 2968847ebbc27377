// Helpers shared by the tests: the expected image worked out from first
// principles, expected console bytes converted from UTF-8 at run time, and
// small file helpers.
#pragma once

#include <cstddef>
#include <string>

namespace tavrel_test {

// UTF-8 text converted to CP932 (Shift-JIS) bytes with iconv(3).
std::string sjis(const std::string& utf8);

// `size` bytes of a fixed pseudo-random pattern: every value occurs, so a byte
// in the wrong place shows.
std::string pattern_bytes(std::size_t size);

// The expanded image the tool must write for `source`, computed per output
// offset from the layout: header and PRG-ROM as they are, the PRG area's rest
// from the first 8 KB of PRG-ROM, the CHR area from the CHR-ROM, and 0xFF
// wherever the source is too short.
std::string expected_image(const std::string& source);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

} // namespace tavrel_test
