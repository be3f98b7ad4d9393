// Temporary folders and files for tests: each made fresh under the test process's
// temporary folder and removed, with everything in it, when the test is done.
#ifndef TEST_SUPPORT_TEMP_FOLDER_H
#define TEST_SUPPORT_TEMP_FOLDER_H

#include <string>
#include <string_view>

namespace test_support {

// The temporary folder of this process: TMPDIR (under ctest a sandbox folder of the
// test's own), or /tmp when it is unset or empty.
std::string temp_base();

// A fresh folder under temp_base(), removed with everything in it, read-only entries
// too. When the folder cannot be made the running test fails and path() is empty;
// a fixture that cannot go on without it asserts ok().
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    std::string path(std::string_view relative) const;

    // Writes bytes to the file at relative, making its parent folders; answers the
    // file's whole path.
    std::string write(std::string_view relative, std::string_view bytes) const;

private:
    std::string m_path;
};

// A file name in a fresh folder of its own; the file may or may not exist, and goes
// with the folder.
class TempFile {
public:
    explicit TempFile(std::string_view name);
    // The file, written with bytes.
    TempFile(std::string_view name, std::string_view bytes);

    const std::string& path() const { return m_path; }
    const char* c_str() const { return m_path.c_str(); }
    bool exists() const;
    // The file's bytes, empty when it does not exist.
    std::string text() const;

private:
    TempFolder m_folder;
    std::string m_path;
};

}

#endif
