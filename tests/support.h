// Helpers shared by the tests: the expected image worked out from first
// principles, and small file helpers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace tavrel_test {

// `size` bytes of a fixed pseudo-random pattern: every value occurs, so a byte
// in the wrong place shows.
std::string pattern_bytes(std::size_t size);

// The expanded image the tool must write for `source`, computed per output
// offset from the layout: header and PRG-ROM as they are, the PRG area's rest
// from the first 8 KB of PRG-ROM, the CHR area from the CHR-ROM, and 0xFF
// wherever the source is too short.
std::string expected_image(const std::string& source);

// The progress lines the copy must have printed, in Shift-JIS, by the time it
// writes the image byte at `offset`: one for every run up to the one holding it.
std::string progress_through(std::size_t offset);

// A temporary binary file holding `bytes`, positioned at its start.
std::FILE* temporary_file_with(const std::string& bytes);
// Everything in `file`, from its start.
std::string contents_of(std::FILE* file);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// Creates a new, empty folder in the system's temporary folder.
std::string make_temp_dir();

} // namespace tavrel_test
