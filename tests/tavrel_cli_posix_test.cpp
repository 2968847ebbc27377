// The built tool on POSIX systems: symbolic links, FIFOs, devices and I/O
// errors as sources and outputs.
#include "tests/tool_fixture.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
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
// touched, instead of yielding an image of fill bytes.
TEST_F(Tool, SourceThatIsNoDiskFileIsRefused) {
    fs::create_directory(path("folder"));
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    // Hold the FIFO open for writing so that opening it for reading does not wait.
    const int fifo_writer = open(path("fifo").c_str(), O_RDWR);
    ASSERT_GE(fifo_writer, 0);
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
    for (int fd : {fifo_writer, pipe_ends[0], pipe_ends[1], terminal}) {
        close(fd);
    }
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

TEST_F(Tool, FullDiskIsReported) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "this system has no /dev/full";
    }
    make_source("in.nes");

    const tool_result result = run({"in.nes", "/dev/full"});

    EXPECT_EQ(result.status, 1);
    const std::string start = banner() + paths_line("in.nes", "/dev/full");
    const std::string end = output_error("/dev/full");
    EXPECT_EQ(result.out.substr(0, start.size()), start);
    ASSERT_GE(result.out.size(), end.size());
    EXPECT_EQ(result.out.substr(result.out.size() - end.size()), end);
    EXPECT_EQ(result.out.find(line("完了しました。")), std::string::npos);
    EXPECT_EQ(result.err, "");
}

} // namespace
