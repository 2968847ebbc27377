// tavrel SOURCE OUTPUT: expands a 32 KB PRG / 8 KB CHR iNES image into the
// 128 KB PRG / 128 KB CHR layout of a mapper 1 board.
#include "image/copy_plan.h"
#include "tool/messages.h"
#include "tool/platform.h"

#include <cstdio>

using namespace tavrel;

namespace {

int fail(const char* text, const char* path) {
    std::printf(text, path);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // With a standard descriptor that cannot be made safe, the console itself
    // is missing: there is nowhere to say so.
    if (!prepare_process()) {
        return 1;
    }
    std::fputs(text_banner, stdout);
    if (argc < 3) {
        std::fputs(text_usage, stdout);
        return 1;
    }
    const char* source_path = argv[1];
    const char* output_path = argv[2];

    // The source is opened and checked first, so a bad source never touches
    // an existing output; the output is emptied only once it is known not to
    // be the source.
    std::FILE* source = open_source(argv, 1);
    if (source == nullptr) {
        return fail(text_source_error, source_path);
    }
    std::FILE* output = open_output(argv, 2, source);
    if (output == nullptr) {
        return fail(text_output_error, output_path);
    }
    // The copy moves whole blocks through a buffer of its own; stream buffers
    // would only copy every byte once more.
    std::setvbuf(source, nullptr, _IONBF, 0);
    std::setvbuf(output, nullptr, _IONBF, 0);
    std::printf(text_paths, source_path, output_path);

    const copy_result result = run_copy_plan(source, output, stdout);
    std::fclose(source);
    // Some file systems report a failed write only when the file is closed.
    const bool output_closed = std::fclose(output) == 0;
    if (result == copy_result::source_unreadable) {
        return fail(text_source_error, source_path);
    }
    if (result == copy_result::output_unwritable || !output_closed) {
        return fail(text_output_error, output_path);
    }
    std::fputs(text_done, stdout);
    return 0;
}
