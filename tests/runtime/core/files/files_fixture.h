// A fresh temporary directory per test, the runtime brought up once per process, and
// helpers that make and inspect files behind the library's back.
#pragma once

#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class FilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitStringBuffer();
        InitFiles();
    }

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        FileBufferSize = 4096;
    }

    void TearDown() override {
        EndFiles();
        FileBufferSize = 4096;
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path Native(const std::string& name) const { return dir_ / name; }
    // The runtime string of a file in the test directory.
    std::u16string Path(const std::string& name) const { return Native(name).u16string(); }

    void Put(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(Native(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    Bytes Get(const std::string& name) const {
        std::ifstream in(Native(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // n bytes that differ from their neighbours and do not repeat every 256 bytes.
    static Bytes Pattern(size_t n) {
        Bytes bytes(n);
        for (size_t i = 0; i < n; i++) {
            bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
        }
        return bytes;
    }

    static FILE* Stream(int64_t handle) { return reinterpret_cast<FILE*>(handle); }

    std::filesystem::path dir_;
};
