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
        expect_output_refused(output, source);
    }
}

// Sources that cannot serve seeks and reads are refused before the output is
// touched, instead of yielding an image of fill bytes.
TEST_F(Tool, SourceThatIsNoDiskFileIsRefused) {
    CreateDirectoryA(path("folder").c_str(), nullptr);
    const std::string pipe_name =
        "\\\\.\\pipe\\tavrel-test-" + std::to_string(GetCurrentProcessId());

    for (const std::string& source :
         {std::string("CON"), std::string("NUL"), std::string("folder"), pipe_name}) {
        SCOPED_TRACE(source);
        // A named pipe exists only while its server end is open.
        HANDLE server = CreateNamedPipeA(pipe_name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                         PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        expect_source_refused(source);
        CloseHandle(server);
    }
}

} // namespace
