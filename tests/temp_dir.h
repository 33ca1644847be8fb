#pragma once
// A temporary directory for one test, removed with everything in it afterwards.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace rv7342 {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
  public:
    // A new directory of a random name that no other test, run or program can hold: created
    // here, never one that was there before.
    TempDir() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("rv7342-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name = {}) const {
        return name.empty() ? path_.string() : (path_ / name).string();
    }
    void Write(const std::string& name, const std::string& contents) const {
        std::ofstream(path_ / name, std::ios::binary) << contents;
    }
    std::string Read(const std::string& name) const { return ReadFile(path_ / name); }

  private:
    std::filesystem::path path_;
};

}  // namespace rv7342
