#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace vantor::test {

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder: " + pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    // Give back the rights that a test took away, so that everything goes.
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::path(const std::string& name) const { return (fs::path(path_) / name).string(); }

std::string TempDir::file(const std::string& name, const std::string& content) const {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary) << content;
    return p;
}

std::set<std::string> TempDir::names() const {
    std::set<std::string> result;
    for (const auto& entry : fs::directory_iterator(path_)) result.insert(entry.path().filename().string());
    return result;
}

}  // namespace vantor::test
