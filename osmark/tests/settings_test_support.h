// Test support for the settings stores: the settings probe, a child process whose
// start-up the tests prepare (its registry, its ENV folder, its environment), and the
// folder that ENV: stands for. Temporary folders and whole-file helpers come from
// test_support.
#ifndef OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H
#define OSMARK_TESTS_SETTINGS_TEST_SUPPORT_H

#include "test_support/child_process.h"

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace settings_test {

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
