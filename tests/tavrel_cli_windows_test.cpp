// The built tool on Windows: its own path spellings, and devices and pipes as
// sources.
#include "tests/tool_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <windows.h>

namespace fs = std::filesystem;
using namespace tavrel_test;

namespace {

std::string read_wide_named(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// How the system spells `wide` in the ANSI code page, look-alikes and all.
std::string ansi_spelling(const std::wstring& wide) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi.data(), size,
                        nullptr, nullptr);
    return ansi;
}

TEST_F(Tool, OutputThatIsTheSourceInWindowsSpellingIsRefused) {
    const std::string source = make_source("in.nes");
    CreateDirectoryA(path("sub").c_str(), nullptr);

    for (const std::string& output :
         std::vector<std::string>{".\\in.nes", "sub\\..\\in.nes", "IN.NES", "in.nes."}) {
        expect_output_refused(output, source);
    }
}

// Past MAX_PATH a lookup by name may fail where the open succeeds; the check
// is made on the opened handles, so the source is still recognised.
TEST_F(Tool, OutputThatIsTheSourceBeyondMaxPathIsRefused) {
    const std::string folder = std::string(180, 'a') + "\\" + std::string(180, 'b');
    std::error_code error;
    fs::create_directories(fs::path(dir) / folder, error);
    if (error) { // Windows itself, without its long path setting
        GTEST_SKIP() << "this system does not make paths longer than MAX_PATH";
    }
    const std::string source = pattern_bytes(0xA010);
    {
        std::ofstream out(fs::path(dir) / folder / "in.nes", std::ios::binary);
        out.write(source.data(), static_cast<std::streamsize>(source.size()));
    }

    const tool_result result = run({folder + "\\in.nes", folder + "\\IN.NES"});

    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner() + output_error(folder + "\\IN.NES"));
    EXPECT_TRUE(read_wide_named(fs::path(dir) / folder / "in.nes") == source);
    // Removed here, by names that are not held to MAX_PATH.
    const std::wstring long_folder = L"\\\\?\\" + (fs::path(dir) / folder).wstring();
    DeleteFileW((long_folder + L"\\in.nes").c_str());
    RemoveDirectoryW(long_folder.c_str());
    RemoveDirectoryW((L"\\\\?\\" + (fs::path(dir) / std::string(180, 'a')).wstring()).c_str());
}

// "Pokémon.nes" has no spelling in code page 932: the ANSI argument says
// "Pokemon.nes", a file the user did not name. The tool writes the file named
// and echoes the ANSI spelling.
TEST_F(Tool, NameOutsideTheAnsiCodePageOpensTheFileNamed) {
    const std::string source = make_source("in.nes");
    write_file(path("Pokemon.nes"), "another game");
    const std::wstring output = L"Pok\u00e9mon.nes";
    ASSERT_EQ(ansi_spelling(output), "Pokemon.nes") << "the test needs code page 932";

    const tool_result result = run_tool_wide({L"in.nes", output}, dir);

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, completed_run("in.nes", "Pokemon.nes"));
    EXPECT_TRUE(read_wide_named(fs::path(dir) / output) == expected_image(source));
    EXPECT_EQ(read_file(path("Pokemon.nes")), "another game");
}

// With standard input and output missing, the files the tool opens could take
// their C descriptors; paths this long make the console text spill out of the
// stream buffer mid-run, into whatever descriptor 1 is.
TEST_F(Tool, ClosedConsoleNeverEndsUpInTheImage) {
    const std::string source = make_source("in.nes");
    std::string prefix;
    for (int i = 0; i < 1100; ++i) {
        prefix += ".\\";
    }

    const std::wstring long_name = fs::path(prefix + "in.nes").wstring();
    const HANDLE probe = CreateFileW((fs::path(dir) / long_name).wstring().c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) { // Windows itself, without its long path setting
        GTEST_SKIP() << "this system does not open paths longer than MAX_PATH";
    }
    CloseHandle(probe);

    const tool_result result = run({prefix + "in.nes", prefix + "out.nes"}, console::closed);

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(read_file(path("out.nes")) == expected_image(source));
    EXPECT_TRUE(read_file(path("in.nes")) == source);
}

// Sources that cannot serve seeks and reads are refused before the output is
// touched, instead of yielding an image of fill bytes.
TEST_F(Tool, SourceThatIsNoDiskFileIsRefused) {
    CreateDirectoryA(path("folder").c_str(), nullptr);
    const std::string pipe_name =
        "\\\\.\\pipe\\tavrel-test-" + std::to_string(GetCurrentProcessId());

    std::string long_form_pipe_name = pipe_name;
    long_form_pipe_name[2] = '?';
    for (const std::string& source : {std::string("CON"), std::string("NUL"), std::string("folder"),
                                      pipe_name, long_form_pipe_name}) {
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
