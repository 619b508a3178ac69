// Running vantor-cli inside a test, and a scratch folder per test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace vantor::cli {

struct Result {
    int status;
    std::string out, err;
};

inline Result cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

// A fresh folder for each test, removed afterwards.
class CliFileTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("vantor-cli-test-" + std::to_string(::getpid()) + "-" +
                                                         testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string file(const std::string& name, const std::string& text) const {
        const std::string p = path(name);
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

}  // namespace vantor::cli
