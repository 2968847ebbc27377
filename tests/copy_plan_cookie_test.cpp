// The copy plan on instrumented streams (fopencookie): writes that note the
// console's position, and reads that fail.
#include "image/copy_plan.h"
#include "tests/support.h"
#include "tests/system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/types.h>
#include <vector>

using tavrel::copy_result;
using tavrel::run_copy_plan;
using namespace tavrel_test;

namespace {

// An output stream that notes, for every write it receives, where in the
// image the write lands and how much console text had been printed by then.
struct write_record {
    std::size_t offset;
    std::size_t size;
    long console_position;
};

struct recording_output {
    std::FILE* console;
    std::size_t written = 0;
    std::vector<write_record> writes;
};

ssize_t record_write(void* cookie, const char* data, std::size_t size) {
    (void)data;
    auto* output = static_cast<recording_output*>(cookie);
    output->writes.push_back({output->written, size, std::ftell(output->console)});
    output->written += size;
    return static_cast<ssize_t>(size);
}

TEST(CopyPlan, EachProgressLineComesBeforeItsRunsBytes) {
    std::FILE* source = temporary_file_with(pattern_bytes(0xA010));
    std::FILE* console = std::tmpfile();
    recording_output log{console, 0, {}};
    std::FILE* output = fopencookie(&log, "wb", {nullptr, record_write, nullptr, nullptr});
    std::setvbuf(output, nullptr, _IONBF, 0);

    ASSERT_EQ(run_copy_plan(source, output, console), copy_result::complete);
    ASSERT_EQ(log.written, 0x40010u);
    for (const write_record& write : log.writes) {
        const std::size_t first = write.offset;
        const std::size_t last = write.offset + write.size - 1;
        EXPECT_EQ(static_cast<std::size_t>(write.console_position), progress_through(first).size())
            << "write at 0x" << std::hex << first;
        EXPECT_EQ(progress_through(first), progress_through(last))
            << "write at 0x" << std::hex << first << " spans two runs";
    }
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

// A source whose reads fail from offset `fails_from` on, as a bad sector would.
struct failing_source {
    std::string bytes;
    long fails_from;
    long position = 0;
};

ssize_t failing_read(void* cookie, char* data, std::size_t size) {
    auto* source = static_cast<failing_source*>(cookie);
    if (source->position >= source->fails_from) {
        return -1;
    }
    std::size_t count =
        std::min(size, static_cast<std::size_t>(source->fails_from - source->position));
    count = std::min(count, source->bytes.size() - static_cast<std::size_t>(source->position));
    source->bytes.copy(data, count, static_cast<std::size_t>(source->position));
    source->position += static_cast<long>(count);
    return static_cast<ssize_t>(count);
}

// The offset type differs between C libraries (off64_t in glibc, off_t in musl).
template <typename offset_type> int failing_seek(void* cookie, offset_type* offset, int whence) {
    auto* source = static_cast<failing_source*>(cookie);
    if (whence != SEEK_SET) {
        return -1;
    }
    source->position = static_cast<long>(*offset);
    return 0;
}

TEST(CopyPlan, ReadErrorStopsTheCopyInsteadOfBecomingFill) {
    failing_source bad{pattern_bytes(0xA010), 0x5000}; // inside the PRG-ROM
    std::FILE* source = fopencookie(&bad, "rb", {failing_read, nullptr, failing_seek, nullptr});
    std::FILE* output = std::tmpfile();
    std::FILE* console = std::tmpfile();

    EXPECT_EQ(run_copy_plan(source, output, console), copy_result::source_unreadable);
    // Whatever was written is true to the source: no fill stands in for the failed bytes.
    const std::string image = contents_of(output);
    EXPECT_LT(image.size(), 0x5000u);
    EXPECT_TRUE(image == expected_image(bad.bytes).substr(0, image.size()));
    EXPECT_EQ(contents_of(console), progress_through(0x10)) << "runs went on after the failure";
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

} // namespace
