// The built tool run as a process in a temporary folder: console bytes, exit
// status and the files left behind.
#include "tests/process.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tavrel_test;

namespace {

const std::string banner = "Tavrel v0.01 2005/03/26\n";

std::string usage() {
    return sjis("Usage: tavrel.exe {ROMファイル} {出力先}\n");
}
std::string source_error(const std::string& path) {
    return sjis("ロムファイル ") + path + sjis(" を開けませんでした。\n");
}
std::string output_error(const std::string& path) {
    return sjis("出力ファイル ") + path + sjis(" を作成できませんでした。\n");
}
std::string paths_line(const std::string& source, const std::string& output) {
    return sjis("入力ファイル:") + source + " " + sjis("出力ファイル:") + output + "\n";
}
std::string completed_run(const std::string& source, const std::string& output) {
    return banner + paths_line(source, output) +
           sjis("NESヘッダ処理中\nPRG処理中\nPRG処理中\nCHR処理中\n完了しました。\n");
}

class Tool : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavrel-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        fs::remove_all(dir);
    }

    std::string path(const std::string& name) const {
        return (fs::path(dir) / name).string();
    }
    // A full-sized source of distinct bytes, so that any misplaced block shows.
    std::string make_source(const std::string& name, std::size_t size = 0xA010) const {
        const std::string bytes = pattern_bytes(size);
        write_file(path(name), bytes);
        return bytes;
    }
    tool_result run(const std::vector<std::string>& args, console out = console::captured) const {
        return run_tool(args, dir, out);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
};

TEST_F(Tool, ExpandsTheImage) {
    const std::string source = make_source("in.nes");

    const tool_result result = run({"in.nes", "out.nes"});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, completed_run("in.nes", "out.nes"));
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    EXPECT_TRUE(read_file(path("in.nes")) == source);
}

TEST_F(Tool, ShortSourceIsFilledNotRefused) {
    const std::string source = make_source("in.nes", 0x1234);

    const tool_result result = run({"in.nes", "out.nes"});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, completed_run("in.nes", "out.nes"));
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
}

TEST_F(Tool, ArgumentsAfterTheSecondAreIgnored) {
    const std::string source = make_source("in.nes");

    const tool_result result = run({"in.nes", "out.nes", "extra.nes", "-v"});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, completed_run("in.nes", "out.nes"));
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    EXPECT_EQ(files(), (std::vector<std::string>{"in.nes", "out.nes"}));
}

TEST_F(Tool, ExistingOutputIsOverwrittenToTheImageSize) {
    const std::string source = make_source("in.nes");
    write_file(path("out.nes"), std::string(0x50000, 'x'));

    const tool_result result = run({"in.nes", "out.nes"});

    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
}

TEST_F(Tool, PathsAreEchoedByteForByte) {
    // A UTF-8 name with spaces, and a name in raw Shift-JIS bytes.
    const std::string source_name = "my rom \xe3\x83\xad\xe3\x83\xa0.nes";
    const std::string output_name = "\x8f\x6f\x97\xcd out.nes";
    const std::string source = make_source(source_name);

    const tool_result result = run({source_name, output_name});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, completed_run(source_name, output_name));
    EXPECT_TRUE(read_file(path(output_name)) == expected_image(source));
}

TEST_F(Tool, TooFewArgumentsPrintUsage) {
    make_source("in.nes");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"in.nes"}}) {
        const tool_result result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner + usage());
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(files(), std::vector<std::string>{"in.nes"});
    }
}

TEST_F(Tool, MissingSourceLeavesTheOutputAlone) {
    write_file(path("out.nes"), "keep me");

    const tool_result result = run({"no such.nes", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner + source_error("no such.nes"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(path("out.nes")), "keep me");
}

TEST_F(Tool, MissingSourceCreatesNoOutput) {
    const tool_result result = run({"no such.nes", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner + source_error("no such.nes"));
    EXPECT_TRUE(files().empty());
}

TEST_F(Tool, OutputInMissingFolderIsReported) {
    make_source("in.nes");

    const tool_result result = run({"in.nes", "no/such/out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner + output_error("no/such/out.nes"));
    EXPECT_EQ(result.err, "");
}

// Every spelling of the source as the output is refused before the output is
// opened, since opening it would empty the source.
TEST_F(Tool, OutputThatIsTheSourceIsRefused) {
    const std::string source = make_source("in.nes");
    fs::create_directory(path("sub"));
    fs::create_symlink("in.nes", path("link.nes"));
    fs::create_hard_link(path("in.nes"), path("hard.nes"));

    for (const std::string& output : std::vector<std::string>{
             "in.nes", "./in.nes", "sub/../in.nes", path("in.nes"), "link.nes", "hard.nes"}) {
        SCOPED_TRACE(output);
        const tool_result result = run({"in.nes", output});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner + output_error(output));
        EXPECT_TRUE(read_file(path("in.nes")) == source);
    }
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
    write_file(path("out.nes"), "keep me");

    std::vector<std::string> sources = {"folder", "fifo", pipe_path, "/dev/null"};
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0) {
        sources.push_back(ptsname(terminal));
    }
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        const tool_result result = run({source, "out.nes"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner + source_error(source));
        EXPECT_EQ(read_file(path("out.nes")), "keep me");

        const tool_result fresh = run({source, "new.nes"});
        EXPECT_EQ(fresh.status, 1);
        EXPECT_FALSE(fs::exists(path("new.nes")));
    }
    for (int fd : {fifo_writer, pipe_ends[0], pipe_ends[1], terminal}) {
        close(fd);
    }
}

TEST_F(Tool, ReadErrorIsReportedNotFilled) {
    // Reading the tool's own memory at address 0 fails with an I/O error,
    // although the file is a regular one.
    const tool_result result = run({"/proc/self/mem", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner + paths_line("/proc/self/mem", "out.nes") +
                              sjis("NESヘッダ処理中\n") + source_error("/proc/self/mem"));
    EXPECT_EQ(result.err, "");
}

TEST_F(Tool, FullDiskIsReported) {
    make_source("in.nes");

    const tool_result result = run({"in.nes", "/dev/full"});

    EXPECT_EQ(result.status, 1);
    const std::string start = banner + paths_line("in.nes", "/dev/full");
    const std::string end = output_error("/dev/full");
    EXPECT_EQ(result.out.substr(0, start.size()), start);
    ASSERT_GE(result.out.size(), end.size());
    EXPECT_EQ(result.out.substr(result.out.size() - end.size()), end);
    EXPECT_EQ(result.out.find(sjis("完了しました。")), std::string::npos);
    EXPECT_EQ(result.err, "");
}

// The console is for the person watching; losing it must not cost the image.
TEST_F(Tool, UnwritableConsoleDoesNotHarmTheImage) {
    const std::string source = make_source("in.nes");
    for (console out : {console::closed, console::full_device, console::no_reader}) {
        SCOPED_TRACE(static_cast<int>(out));
        fs::remove(path("out.nes"));
        const tool_result result = run({"in.nes", "out.nes"}, out);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    }
}

} // namespace
