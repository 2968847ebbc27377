// The built tool on Windows: its own path spellings, and devices and pipes as
// sources.
#include "tests/tool_fixture.h"

#include <windows.h>

using namespace tavrel_test;

namespace {

TEST_F(Tool, OutputThatIsTheSourceInWindowsSpellingIsRefused) {
    const std::string source = make_source("in.nes");
    CreateDirectoryA(path("sub").c_str(), nullptr);

    for (const std::string& output :
         std::vector<std::string>{".\\in.nes", "sub\\..\\in.nes", "IN.NES", "in.nes."}) {
        SCOPED_TRACE(output);
        const tool_result result = run({"in.nes", output});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner() + output_error(output));
        EXPECT_TRUE(read_file(path("in.nes")) == source);
    }
}

// Sources that cannot serve seeks and reads are refused before the output is
// touched, instead of yielding an image of fill bytes.
TEST_F(Tool, SourceThatIsNoDiskFileIsRefused) {
    CreateDirectoryA(path("folder").c_str(), nullptr);
    write_file(path("out.nes"), "keep me");
    const std::string pipe_name =
        "\\\\.\\pipe\\tavrel-test-" + std::to_string(GetCurrentProcessId());

    for (const std::string& source :
         {std::string("CON"), std::string("NUL"), std::string("folder"), pipe_name}) {
        SCOPED_TRACE(source);
        // A named pipe exists only while its server end is open.
        HANDLE server = CreateNamedPipeA(pipe_name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                         PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);

        const tool_result result = run({source, "out.nes"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner() + source_error(source));
        EXPECT_EQ(read_file(path("out.nes")), "keep me");

        const tool_result fresh = run({source, "new.nes"});
        EXPECT_EQ(fresh.status, 1);
        EXPECT_EQ(GetFileAttributesA(path("new.nes").c_str()), INVALID_FILE_ATTRIBUTES);
        CloseHandle(server);
    }
}

} // namespace
