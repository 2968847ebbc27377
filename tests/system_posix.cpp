#include "tests/system.h"

#include <cstdio>
#include <fcntl.h>
#include <iconv.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel_test {

namespace {

void redirect(const char* path, int flags, int target) {
    const int fd = open(path, flags);
    if (fd < 0 || dup2(fd, target) < 0) {
        _exit(126);
    }
    close(fd);
}

// Reads a pipe to its end. The tool prints a few hundred bytes at most, well
// within a pipe's buffer, so the child never blocks on the one not being read.
std::string drain(int fd) {
    std::string bytes;
    char block[4096];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) > 0) {
        bytes.append(block, static_cast<std::size_t>(got));
    }
    close(fd);
    return bytes;
}

void make_pipe(int ends[2]) {
    if (pipe(ends) != 0) {
        throw std::runtime_error("pipe failed");
    }
}

} // namespace

std::vector<console> lost_consoles() {
    if (access("/dev/full", W_OK) != 0) { // Linux and FreeBSD have it, macOS does not
        return {console::closed, console::no_reader};
    }
    return {console::closed, console::full_device, console::no_reader};
}

const char console_line_end[] = "\n";

std::string sjis(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
    }
    std::string in = utf8;
    std::string out(in.size() * 2 + 1, '\0');
    char* in_next = in.data();
    std::size_t in_left = in.size();
    char* out_next = out.data();
    std::size_t out_left = out.size();
    const std::size_t converted = iconv(converter, &in_next, &in_left, &out_next, &out_left);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || in_left != 0) {
        throw std::runtime_error("text has no CP932 form: " + utf8);
    }
    out.resize(out.size() - out_left);
    return out;
}

tool_result run_tool(const std::vector<std::string>& args, const std::string& cwd, console out) {
    int out_pipe[2];
    int err_pipe[2];
    make_pipe(out_pipe);
    make_pipe(err_pipe);
    if (out == console::no_reader) {
        close(out_pipe[0]);
        out_pipe[0] = -1;
    }

    std::string program = TAVREL_PATH;
    std::vector<std::string> copies = args;
    std::vector<char*> argv{program.data()};
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        if (chdir(cwd.c_str()) != 0) {
            _exit(126);
        }
        dup2(err_pipe[1], STDERR_FILENO);
        if (out == console::closed) {
            close(STDIN_FILENO); // lets the files the tool opens take descriptors 0 and 1
        } else {
            redirect("/dev/null", O_RDONLY, STDIN_FILENO);
        }
        switch (out) {
        case console::captured:
        case console::no_reader:
            dup2(out_pipe[1], STDOUT_FILENO);
            break;
        case console::closed:
            close(STDOUT_FILENO);
            break;
        case console::full_device:
            redirect("/dev/full", O_WRONLY, STDOUT_FILENO);
            break;
        }
        for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
            if (fd > STDERR_FILENO) {
                close(fd);
            }
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);

    tool_result result;
    if (out_pipe[0] >= 0) {
        result.out = drain(out_pipe[0]);
    }
    result.err = drain(err_pipe[0]);
    int wait_status = 0;
    if (waitpid(child, &wait_status, 0) != child) {
        throw std::runtime_error("waitpid failed");
    }
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    return result;
}

} // namespace tavrel_test
