// A temporary folder to run the built tool in, and the console bytes it must
// print there, converted from UTF-8 independently of the tool's own texts.
#pragma once

#include "tests/support.h"
#include "tests/system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tavrel_test {

// One console line: `utf8` in Shift-JIS, with `path` bytes put in as they are
// where `{}` stands.
inline std::string line(const std::string& utf8, const std::string& path = "") {
    const std::size_t slot = utf8.find("{}");
    if (slot == std::string::npos) {
        return sjis(utf8) + console_line_end;
    }
    return sjis(utf8.substr(0, slot)) + path + sjis(utf8.substr(slot + 2)) + console_line_end;
}

inline std::string banner() {
    return line("Tavrel v0.01 2005/03/26");
}
inline std::string usage() {
    return line("Usage: tavrel.exe {ROMファイル} {出力先}");
}
inline std::string source_error(const std::string& path) {
    return line("ロムファイル {} を開けませんでした。", path);
}
inline std::string output_error(const std::string& path) {
    return line("出力ファイル {} を作成できませんでした。", path);
}
inline std::string paths_line(const std::string& source, const std::string& output) {
    return sjis("入力ファイル:") + source + " " + line("出力ファイル:{}", output);
}
inline std::string progress_lines() {
    return line("NESヘッダ処理中") + line("PRG処理中") + line("PRG処理中") + line("CHR処理中");
}
inline std::string completed_run(const std::string& source, const std::string& output) {
    return banner() + paths_line(source, output) + progress_lines() + line("完了しました。");
}

class Tool : public testing::Test {
  protected:
    void SetUp() override {
        dir = make_temp_dir();
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
    }

    std::string path(const std::string& name) const {
        return dir + "/" + name;
    }
    // A source of distinct bytes, full-sized unless told, so that any
    // misplaced block shows.
    std::string make_source(const std::string& name, std::size_t size = 0xA010) const {
        const std::string bytes = pattern_bytes(size);
        write_file(path(name), bytes);
        return bytes;
    }
    tool_result run(const std::vector<std::string>& args, console out = console::captured) const {
        return run_tool(args, dir, out);
    }
    // Runs the tool with a source it must refuse: the source error, and no
    // output created, truncated or changed.
    void expect_source_refused(const std::string& source) const {
        write_file(path("out.nes"), "keep me");
        const tool_result result = run({source, "out.nes"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner() + source_error(source));
        EXPECT_EQ(read_file(path("out.nes")), "keep me");

        const tool_result fresh = run({source, "new.nes"});
        EXPECT_EQ(fresh.status, 1);
        EXPECT_FALSE(std::filesystem::exists(path("new.nes")));
    }
    // Runs the tool from "in.nes" (holding `source`) to `output`, a name of
    // that same file: the output error, and the source as it was.
    void expect_output_refused(const std::string& output, const std::string& source) const {
        SCOPED_TRACE(output);
        const tool_result result = run({"in.nes", output});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, banner() + output_error(output));
        EXPECT_TRUE(read_file(path("in.nes")) == source);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
};

} // namespace tavrel_test
