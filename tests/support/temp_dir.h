#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

/// A fresh folder under the system's temporary folder, removed with everything in it
/// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

/// Writes bytes to a file, replacing it.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);

/// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

} // namespace corvath::test
