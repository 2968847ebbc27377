// The built tool run as a process in a temporary folder: console bytes, exit
// status and the files left behind.
#include "tests/tool_fixture.h"

#include <filesystem>

namespace fs = std::filesystem;
using namespace tavrel_test;

namespace {

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
    for (std::size_t size : {0x0u, 0x1234u, 0x8010u}) {
        SCOPED_TRACE(size);
        const std::string source = make_source("in.nes", size);

        const tool_result result = run({"in.nes", "out.nes"});

        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, completed_run("in.nes", "out.nes"));
        EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    }
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
    // Shift-JIS names, one with blanks and one with 0x5C as a second byte
    // ("表"), which is also the Windows path separator.
    const std::string source_name = "my rom \x83\x8d\x83\x80.nes";
    const std::string output_name = "\x95\x5c\x8e\xa6 out.nes";
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
        EXPECT_EQ(result.out, banner() + usage());
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(files(), std::vector<std::string>{"in.nes"});
    }
}

TEST_F(Tool, MissingSourceLeavesTheOutputAlone) {
    write_file(path("out.nes"), "keep me");

    const tool_result result = run({"no such.nes", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner() + source_error("no such.nes"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(path("out.nes")), "keep me");
}

TEST_F(Tool, MissingSourceCreatesNoOutput) {
    const tool_result result = run({"no such.nes", "out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner() + source_error("no such.nes"));
    EXPECT_TRUE(files().empty());
}

TEST_F(Tool, OutputInMissingFolderIsReported) {
    make_source("in.nes");

    const tool_result result = run({"in.nes", "no/such/out.nes"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner() + output_error("no/such/out.nes"));
    EXPECT_EQ(result.err, "");
}

// Every spelling of the source as the output is refused before the output is
// emptied, since that would empty the source.
TEST_F(Tool, OutputThatIsTheSourceIsRefused) {
    const std::string source = make_source("in.nes");
    fs::create_directory(path("sub"));
    fs::create_hard_link(path("in.nes"), path("hard.nes"));

    for (const std::string& output : std::vector<std::string>{"in.nes", "./in.nes", "sub/../in.nes",
                                                              path("in.nes"), "hard.nes"}) {
        expect_output_refused(output, source);
    }
}

// The console is for the person watching; losing it must not cost the image.
TEST_F(Tool, LostConsoleDoesNotHarmTheImage) {
    const std::string source = make_source("in.nes");
    for (console out : lost_consoles()) {
        SCOPED_TRACE(static_cast<int>(out));
        fs::remove(path("out.nes"));
        const tool_result result = run({"in.nes", "out.nes"}, out);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    }
}

// A console that is the source (`>>in.nes`) or the output (`>out.nes`) would
// have its text written into that file: it is put aside, and both files come
// out right.
TEST_F(Tool, ConsoleThatIsTheSourceOrTheOutputIsKeptOutOfIt) {
    const std::string source = make_source("in.nes");
    for (const std::string& console_file : {std::string("in.nes"), std::string("out.nes")}) {
        SCOPED_TRACE(console_file);
        fs::remove(path("out.nes"));

        const tool_result result =
            run_tool_with_console_in({"in.nes", "out.nes"}, dir, console_file);

        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(read_file(path("in.nes")) == source);
        EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    }
}

} // namespace
