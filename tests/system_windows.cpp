#include "tests/system.h"

#include <stdexcept>
#include <windows.h>

namespace tavrel_test {

namespace {

// One argument quoted so that the C runtime's command-line parser gives it
// back unchanged.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// ANSI code page bytes as UTF-16, as the system reads an ANSI command line.
std::wstring widen(const std::string& ansi) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
    return wide;
}

struct pipe_ends {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// A pipe whose writing end the child inherits.
pipe_ends make_pipe() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    pipe_ends ends;
    if (!CreatePipe(&ends.read, &ends.write, &inherit, 1 << 16) ||
        !SetHandleInformation(ends.read, HANDLE_FLAG_INHERIT, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    return ends;
}

// Reads a pipe to its end. The tool prints a few hundred bytes at most, well
// within the pipe's buffer, so the child never blocks on the one not being read.
std::string drain(HANDLE pipe) {
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(pipe, block, sizeof block, &got, nullptr) && got > 0) {
        bytes.append(block, got);
    }
    CloseHandle(pipe);
    return bytes;
}

} // namespace

std::string tool_path() {
    std::string path = TAVREL_PATH;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

const char console_line_end[] = "\r\n";

std::vector<console> lost_consoles() {
    return {console::closed, console::no_reader};
}

std::string sjis(const std::string& utf8) {
    const int wide_size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                              static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wide_size);
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(932, 0, wide.data(), wide_size, nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(932, 0, wide.data(), wide_size, out.data(), size, nullptr, &lossy);
    if ((wide_size == 0 && !utf8.empty()) || lossy) {
        throw std::runtime_error("text has no CP932 form: " + utf8);
    }
    return out;
}

tool_result run_tool(const std::vector<std::string>& args, const std::string& cwd, console out) {
    std::vector<std::wstring> wide_args;
    for (const std::string& arg : args) {
        wide_args.push_back(widen(arg));
    }
    return run_tool_wide(wide_args, cwd, out);
}

namespace {

tool_result run(const std::vector<std::wstring>& args, const std::string& cwd, console out,
                const std::string* console_file) {
    const std::string program = tool_path();
    std::wstring command_line = quoted(widen(program));
    for (const std::wstring& arg : args) {
        command_line += L" " + quoted(arg);
    }

    pipe_ends out_pipe = make_pipe();
    pipe_ends err_pipe = make_pipe();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE null_input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null_input;
    startup.hStdOutput = out_pipe.write;
    startup.hStdError = err_pipe.write;
    if (out == console::closed) {
        startup.hStdInput = INVALID_HANDLE_VALUE;
        startup.hStdOutput = INVALID_HANDLE_VALUE;
    } else if (out == console::no_reader) {
        CloseHandle(out_pipe.read);
        out_pipe.read = nullptr;
    } else if (out == console::full_device) {
        throw std::logic_error("Windows has no device that refuses every write");
    }
    HANDLE console_handle = nullptr;
    if (console_file != nullptr) {
        const std::string where = cwd + "\\" + *console_file;
        console_handle =
            CreateFileA(where.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        &inherit, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (console_handle == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot open " + where);
        }
        startup.hStdOutput = console_handle;
    }

    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(widen(program).c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, widen(cwd).c_str(), &startup, &process);
    CloseHandle(out_pipe.write);
    CloseHandle(err_pipe.write);
    CloseHandle(null_input);
    if (console_handle != nullptr) {
        CloseHandle(console_handle);
    }
    if (!started) {
        throw std::runtime_error("cannot start " + program);
    }

    tool_result result;
    if (out_pipe.read != nullptr) {
        result.out = drain(out_pipe.read);
    }
    result.err = drain(err_pipe.read);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    result.status = static_cast<int>(status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

} // namespace

tool_result run_tool_wide(const std::vector<std::wstring>& args, const std::string& cwd,
                          console out) {
    return run(args, cwd, out, nullptr);
}

tool_result run_tool_with_console_in(const std::vector<std::string>& args, const std::string& cwd,
                                     const std::string& console_file) {
    std::vector<std::wstring> wide_args;
    for (const std::string& arg : args) {
        wide_args.push_back(widen(arg));
    }
    return run(wide_args, cwd, console::captured, &console_file);
}

} // namespace tavrel_test
