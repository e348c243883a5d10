// Runs zimbor-convert as a child process and collects what it says.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zimbor::testing_cli {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

ToolResult RunConvert(const std::vector<std::string>& args);

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> Bytes(const std::string& text);

// A fresh empty folder for one test, removed when it goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> Listing() const;

private:
    std::filesystem::path path_;
};

}  // namespace zimbor::testing_cli
