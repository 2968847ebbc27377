#include "image/copy_plan.h"

#include <cstring>

namespace tavrel {

namespace {

// "NESヘッダ処理中", "PRG処理中", "CHR処理中" in Shift-JIS.
constexpr char text_header_progress[] = "NES\x83\x77\x83\x62\x83\x5f\x8f\x88\x97\x9d\x92\x86\n";
constexpr char text_prg_progress[] = "PRG\x8f\x88\x97\x9d\x92\x86\n";
constexpr char text_chr_progress[] = "CHR\x8f\x88\x97\x9d\x92\x86\n";

// Source layout: 16-byte header at 0x0000, PRG-ROM at 0x0010, CHR-ROM at 0x8010.
constexpr long header_offset = 0x0000;
constexpr long prg_offset = 0x0010;
constexpr long chr_offset = 0x8010;
constexpr std::size_t header_size = 0x10;
constexpr std::size_t prg_size = 0x8000;
constexpr std::size_t bank_8k = 0x2000;

// Blocks are moved through a buffer of one 8 KB bank: every run length is a
// multiple of it or smaller than it.
constexpr std::size_t block_size = bank_8k;

// Copies one repetition of `length` bytes from the current source position,
// filling whatever the source cannot supply because it has ended.
copy_result copy_block(std::FILE* source, std::FILE* output, std::size_t length,
                       unsigned char* buffer) {
    while (length > 0) {
        const std::size_t chunk = length < block_size ? length : block_size;
        const std::size_t got = std::fread(buffer, 1, chunk, source);
        if (got < chunk) {
            if (std::ferror(source)) {
                return copy_result::source_unreadable;
            }
            std::memset(buffer + got, fill_byte, chunk - got);
        }
        if (std::fwrite(buffer, 1, chunk, output) != chunk) {
            return copy_result::output_unwritable;
        }
        length -= chunk;
    }
    return copy_result::complete;
}

} // namespace

const copy_run copy_plan[copy_plan_size] = {
    {text_header_progress, header_offset, header_size, 1},
    {text_prg_progress, prg_offset, prg_size, 1},
    // The PRG area is filled up with the first 8 KB of the PRG-ROM, two per 16 KB bank.
    {text_prg_progress, prg_offset, bank_8k, 12},
    {text_chr_progress, chr_offset, bank_8k, 16},
};

copy_result run_copy_plan(std::FILE* source, std::FILE* output, std::FILE* console) {
    unsigned char buffer[block_size];
    for (const copy_run& run : copy_plan) {
        std::fputs(run.progress_text, console);
        for (unsigned repetition = 0; repetition < run.repeats; ++repetition) {
            // A seek clears the end-of-file indicator, so a short source yields
            // its real bytes again in every repetition. A seek that fails would
            // shift the image, so it counts as a read failure.
            if (std::fseek(source, run.source_offset, SEEK_SET) != 0) {
                return copy_result::source_unreadable;
            }
            const copy_result result = copy_block(source, output, run.length, buffer);
            if (result != copy_result::complete) {
                return result;
            }
        }
    }
    return copy_result::complete;
}

} // namespace tavrel
