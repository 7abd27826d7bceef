// A fresh host directory for one test: made by mkdtemp, optionally mapped in winsim as a
// Windows directory (the system directory by default), and removed with the object.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <winsim/control.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace testsupport {

inline constexpr std::string_view kSystemDirectory = "C:\\WINDOWS\\SYSTEM";

class Sandbox {
public:
    // A directory that no Windows path leads to until the test maps it.
    Sandbox()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kv_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "no temporary directory from " << pattern;
            return;
        }
        path_ = pattern;
    }

    // A directory mapped as `windowsDirectory`.
    explicit Sandbox(std::string_view windowsDirectory) : Sandbox()
    {
        winsim::MapDirectory(std::string(windowsDirectory), path_.string());
    }

    ~Sandbox()
    {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }

    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Host(std::string_view relative) const { return (path_ / relative).string(); }

    // Copies a host file into the directory under `name`.
    void Copy(const std::filesystem::path& file, std::string_view name) const
    {
        std::error_code error;
        std::filesystem::copy_file(file, path_ / name, std::filesystem::copy_options::overwrite_existing,
                                   error);
        EXPECT_FALSE(error) << "copying " << file << ": " << error.message();
    }

    void Write(std::string_view name, const std::vector<std::byte>& bytes) const
    {
        std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
};

}  // namespace testsupport
