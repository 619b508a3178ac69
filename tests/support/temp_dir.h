// A scratch folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace vantor::test {

class TempDir {
public:
    // The folder's name starts with `prefix`, so that a left-over one says
    // which tests made it.
    explicit TempDir(const std::string& prefix = "vantor-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` in the folder.
    std::string path(const std::string& name) const;
    std::string operator/(const std::string& name) const { return path(name); }
    // Writes `content` to `name` in the folder; returns its path.
    std::string file(const std::string& name, const std::string& content) const;
    // The names in the folder.
    std::set<std::string> names() const;

private:
    std::string path_;
};

}  // namespace vantor::test
