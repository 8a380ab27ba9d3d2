#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        FPath = std::filesystem::temp_directory_path() /
                ("kestrelon-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(FPath);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string PathOf(std::string_view name) const { return (FPath / name).string(); }

    // Writes the bytes exactly as given and returns the file's path.
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path FPath;
};
