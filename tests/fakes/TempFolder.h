#pragma once
// A fresh temporary folder per test, removed with everything in it afterwards.
#include <cstdint>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with a separator.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Helpers for test files.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Deterministic pseudo-random content of the given length.
std::string PatternBytes(size_t length, uint32_t seed = 1);
