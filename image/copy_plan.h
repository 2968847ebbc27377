// The fixed copy plan that turns a 32 KB PRG / 8 KB CHR iNES image into the
// 128 KB PRG / 128 KB CHR layout of a mapper 1 board, and the loop that runs it.
#pragma once

#include <cstddef>
#include <cstdio>

namespace tavrel {

// One step of the plan: `length` bytes from `source_offset`, written `repeats`
// times in a row, announced once by `progress_text`.
struct copy_run {
    const char* progress_text;
    long source_offset;
    std::size_t length;
    unsigned repeats;
};

constexpr std::size_t copy_plan_size = 4;
extern const copy_run copy_plan[copy_plan_size];

// Written wherever the source ends before a run does.
constexpr unsigned char fill_byte = 0xFF;

// Header, PRG area and CHR area: 0x10 + 0x20000 + 0x20000 bytes.
constexpr std::size_t expanded_image_size = 0x40010;

enum class copy_result {
    complete,
    source_unreadable, // a read failed; the end of the source is not a failure
    output_unwritable,
};

// Runs the plan from `source` (binary, seekable) into `output` (binary, written
// in sequence, never sought), printing each run's progress text on `console`.
// Stops at the first read or write error. Failures on `console` are ignored:
// the texts are for the person watching, the image is the product.
copy_result run_copy_plan(std::FILE* source, std::FILE* output, std::FILE* console);

} // namespace tavrel
