// The built tool on POSIX systems: symbolic links, FIFOs, devices and I/O
// errors as sources and outputs.
#include "tests/tool_fixture.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tavrel_test;

namespace {

TEST_F(Tool, OutputThatLinksToTheSourceIsRefused) {
    const std::string source = make_source("in.nes");
    fs::create_symlink("in.nes", path("link.nes"));

    expect_output_refused("link.nes", source);
}

// Sources that cannot serve seeks and reads are refused before the output is
// touched, instead of yielding an image of fill bytes, and without waiting: a
// FIFO that nobody writes to is refused at once.
TEST_F(Tool, SourceThatIsNoDiskFileIsRefused) {
    fs::create_directory(path("folder"));
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const std::string pipe_path = "/dev/fd/" + std::to_string(pipe_ends[0]);
    std::vector<std::string> sources = {"folder", "fifo", pipe_path, "/dev/null"};
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0) {
        sources.push_back(ptsname(terminal));
    }
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        expect_source_refused(source);
    }
    for (int fd : {pipe_ends[0], pipe_ends[1], terminal}) {
        close(fd);
    }
}

// Another process keeps turning the output path into a link to the source and
// back while the tool runs; whichever of the two the tool opens, the source
// stays as it was.
TEST_F(Tool, OutputSwappedForALinkToTheSourceNeverHarmsIt) {
    const std::string source = make_source("in.nes");
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        const std::string output = path("out.nes");
        const std::string plain = path("plain.tmp");
        const std::string link = path("link.tmp");
        while (!stop) {
            std::fclose(std::fopen(plain.c_str(), "w"));
            std::rename(plain.c_str(), output.c_str());
            if (symlink("in.nes", link.c_str()) == 0) {
                std::rename(link.c_str(), output.c_str());
            }
        }
    });
    int harmed = 0;
    for (int attempt = 0; attempt < 500; ++attempt) {
        const tool_result result = run({"in.nes", "out.nes"});
        EXPECT_TRUE(result.status == 0 || result.status == 1) << result.status;
        if (read_file(path("in.nes")) != source) {
            ++harmed;
            write_file(path("in.nes"), source);
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(harmed, 0) << "runs out of 500 that changed the source";
}

// With standard input and output closed, the files the tool opens would take
// descriptors 0 and 1; paths this long make its console text spill out of the
// stream buffer mid-run, into whatever descriptor 1 is.
TEST_F(Tool, ClosedConsoleNeverEndsUpInTheImage) {
    const std::string source = make_source("in.nes");
    // As long as the system takes: 4096 bytes on Linux, 1024 on macOS and the BSDs.
    const long path_max = pathconf(dir.c_str(), _PC_PATH_MAX);
    const std::size_t longest = path_max > 0 ? static_cast<std::size_t>(path_max) - 1 : 1023;
    std::string prefix;
    while (prefix.size() + 2 + std::string("out.nes").size() <= longest) {
        prefix += "./";
    }
    const std::string long_source = prefix + "in.nes";
    const std::string long_output = prefix + "out.nes";

    const tool_result result = run({long_source, long_output}, console::closed);

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    EXPECT_TRUE(read_file(path("in.nes")) == source);
}

TEST_F(Tool, ReadErrorIsReportedNotFilled) {
    // Reading the tool's own memory at address 0 fails with an I/O error,
    // although the file is a regular one. Only Linux has that file.
    if (!fs::exists("/proc/self/mem")) {
        GTEST_SKIP() << "this system has no /proc/self/mem";
    }
    const tool_result result = run({"/proc/self/mem", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner() + paths_line("/proc/self/mem", "out.nes") +
                              line("NESヘッダ処理中") + source_error("/proc/self/mem"));
    EXPECT_EQ(result.err, "");
}

// The image sent down standard output itself, for a pipe, comes alone: the
// console texts would break it.
TEST_F(Tool, ImageWrittenToStandardOutputComesAlone) {
    const std::string source = make_source("in.nes");

    const tool_result result = run({"in.nes", "/dev/stdout"});

    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out == expected_image(source)) << result.out.size() << " bytes";
    EXPECT_EQ(result.err, "");
}

// A write that fails mid-copy: the banner and paths line, the output error
// last, and no completion text.
void expect_write_failure_reported(const tool_result& result, const std::string& output) {
    EXPECT_EQ(result.status, 1);
    const std::string start = banner() + paths_line("in.nes", output);
    const std::string end = output_error(output);
    EXPECT_EQ(result.out.substr(0, start.size()), start);
    ASSERT_GE(result.out.size(), end.size());
    EXPECT_EQ(result.out.substr(result.out.size() - end.size()), end);
    EXPECT_EQ(result.out.find(line("完了しました。")), std::string::npos);
    EXPECT_EQ(result.err, "");
}

TEST_F(Tool, FullDiskIsReported) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "this system has no /dev/full";
    }
    make_source("in.nes");

    expect_write_failure_reported(run({"in.nes", "/dev/full"}), "/dev/full");
}

// Over the file-size limit, a write fails; it must not end the process unheard.
TEST_F(Tool, FileSizeLimitIsReportedAsAWriteFailure) {
    const std::string source = make_source("in.nes");

    const tool_result result =
        run_tool_with_file_size_limit({"in.nes", "out.nes"}, dir, 100 * 1024);

    expect_write_failure_reported(result, "out.nes");
    EXPECT_TRUE(read_file(path("in.nes")) == source);
}

} // namespace
