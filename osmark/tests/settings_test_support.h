// Test support for the settings stores: a temporary folder per test, whole-file
// reading and writing, and the settings probe, a child process whose start-up the
// tests prepare (its registry, its ENV folder, its environment).
#ifndef OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H
#define OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H

#include "child_process.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace settings_test {

// A fresh folder under TMPDIR, removed with everything in it.
class TempFolder {
public:
    TempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/settings.XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }

    const std::string& path() const { return m_path; }
    std::string path(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

inline std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void write_file(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The folder that the library's "ENV:" stands for in this process (made at start-up
// under $XDG_DATA_HOME).
inline std::string env_folder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    return std::string(data != nullptr ? data : "") + "/Osmark/Env";
}

using ProbeResult = test_support::ChildResult;

// Runs the settings probe (built beside the test) with the given arguments, this
// process's environment changed by overrides (an empty value removes the variable)
// and, when folder is not empty, that folder as its current directory.
inline ProbeResult run_probe(const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& overrides = {},
                             const std::string& folder = {})
{
    return test_support::run_child(test_support::program_beside_test("osmark_settings_probe"),
                                   arguments, overrides, folder);
}

}

#endif
