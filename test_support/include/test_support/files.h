// Whole-file helpers that check a library's results with plain POSIX and standard
// library calls, without going through the library itself.
#ifndef TEST_SUPPORT_FILES_H
#define TEST_SUPPORT_FILES_H

#include <string>
#include <string_view>

namespace test_support {

// The file's bytes, empty when it cannot be read.
std::string read_file(const std::string& path);

// Writes bytes to the file, replacing it, after making its parent folders.
void write_file(const std::string& path, std::string_view bytes);

// Whether anything, a dangling symbolic link too, has the name.
bool exists(const std::string& path);

// Makes the folder and its missing parents.
void make_folders(const std::string& path);

}

#endif
