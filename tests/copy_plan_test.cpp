// The copy plan run on temporary files, for every source length that matters.
#include "image/copy_plan.h"
#include "tests/support.h"
#include "tests/system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

using tavrel::copy_result;
using tavrel::run_copy_plan;
using namespace tavrel_test;

namespace {

struct length_case {
    const char* name;
    std::size_t length;
};

void PrintTo(const length_case& test, std::ostream* out) {
    *out << test.name << " (" << test.length << " bytes)";
}

class CopyPlanBySourceLength : public testing::TestWithParam<length_case> {};

TEST_P(CopyPlanBySourceLength, WritesTheLayoutWithFillWhereTheSourceEnds) {
    const std::string source_bytes = pattern_bytes(GetParam().length);
    std::FILE* source = temporary_file_with(source_bytes);
    std::FILE* output = std::tmpfile();
    std::FILE* console = std::tmpfile();

    EXPECT_EQ(run_copy_plan(source, output, console), copy_result::complete);

    const std::string image = contents_of(output);
    ASSERT_EQ(image.size(), 0x40010u);
    EXPECT_TRUE(image == expected_image(source_bytes)) << "image differs from the layout";
    EXPECT_EQ(contents_of(console), progress_through(0x40010 - 1));
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, CopyPlanBySourceLength,
    testing::Values(length_case{"Empty", 0}, length_case{"InsideHeader", 7},
                    length_case{"HeaderOnly", 0x10}, length_case{"InsideFirstPrgBank", 0x1234},
                    length_case{"InsideLastPrgBank", 0x7000}, length_case{"NoChrRom", 0x8010},
                    length_case{"InsideChrRom", 0x9001}, length_case{"Exact", 0xA010},
                    length_case{"Longer", 0xA010 + 0x3000}),
    [](const testing::TestParamInfo<length_case>& test) { return std::string(test.param.name); });

TEST(CopyPlan, HeaderIsCopiedWhateverItSays) {
    // A header naming mapper 4 with other bank counts, and junk after it.
    std::string source_bytes = pattern_bytes(0xA010);
    source_bytes.replace(0, 16, std::string("NES\x1a\x10\x20\x40\x08XYZ\xff\x00\x01\x02\x03", 16));
    std::FILE* source = temporary_file_with(source_bytes);
    std::FILE* output = std::tmpfile();
    std::FILE* console = std::tmpfile();

    ASSERT_EQ(run_copy_plan(source, output, console), copy_result::complete);
    EXPECT_EQ(contents_of(output).substr(0, 16), source_bytes.substr(0, 16));
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

// A device on which every write fails; systems without one skip these.
constexpr char full_device[] = "/dev/full";

TEST(CopyPlan, WriteErrorIsReported) {
    std::FILE* output = std::fopen(full_device, "wb");
    if (output == nullptr) {
        GTEST_SKIP() << "this system has no " << full_device;
    }
    std::FILE* source = temporary_file_with(pattern_bytes(0xA010));
    std::FILE* console = std::tmpfile();

    EXPECT_EQ(run_copy_plan(source, output, console), copy_result::output_unwritable);
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

TEST(CopyPlan, UnwritableConsoleDoesNotStopTheCopy) {
    std::FILE* console = std::fopen(full_device, "w");
    if (console == nullptr) {
        GTEST_SKIP() << "this system has no " << full_device;
    }
    std::setvbuf(console, nullptr, _IONBF, 0);
    const std::string source_bytes = pattern_bytes(0xA010);
    std::FILE* source = temporary_file_with(source_bytes);
    std::FILE* output = std::tmpfile();

    EXPECT_EQ(run_copy_plan(source, output, console), copy_result::complete);
    EXPECT_TRUE(contents_of(output) == expected_image(source_bytes));
    for (std::FILE* file : {source, output, console}) {
        std::fclose(file);
    }
}

} // namespace
