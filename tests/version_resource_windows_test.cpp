// The version resource of the built tavrel.exe: what Windows shows in the
// file's properties.
#include "tests/system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

using tavrel_test::tool_path;

namespace {

class VersionResource : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string path = tool_path();
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_NE(size, 0u) << path << " has no version resource";
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    }

    // The string named `name` in the table of the resource's first translation.
    std::string text(const char* name) {
        struct translation {
            WORD language;
            WORD code_page;
        }* translations = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translations), &length) ||
            length < sizeof(translation)) {
            ADD_FAILURE() << "no translation table";
            return {};
        }
        char query[64];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                  translations[0].code_page, name);
        char* value = nullptr;
        if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length)) {
            ADD_FAILURE() << "no string " << name;
            return {};
        }
        return std::string(value);
    }

    std::vector<char> block;
};

TEST_F(VersionResource, NamesTheProductVersionAndLicense) {
    EXPECT_EQ(text("ProductName"), "tavrel");
    EXPECT_EQ(text("FileDescription"), "NES image expander for mapper 1");
    EXPECT_EQ(text("FileVersion"), "0.01");
    EXPECT_EQ(text("ProductVersion"), "0.01");
    EXPECT_EQ(text("LegalCopyright"), "Copyright (c) 2026 the tavrel developers");
    EXPECT_EQ(text("Comments"), "MIT License");
    EXPECT_EQ(text("OriginalFilename"), "tavrel.exe");
}

// 0.01 is CMake's major 0, minor 1: 0.1.0.0 in the binary fields.
TEST_F(VersionResource, BinaryVersionIsCMakesReading) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

} // namespace
