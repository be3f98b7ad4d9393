// The variable files under "ENV:vars", shared by the variable functions and the
// start-up import.
#ifndef OSMARK_CORE_VARIABLES_INTERNAL_H
#define OSMARK_CORE_VARIABLES_INTERNAL_H

#include <cstdint>
#include <string>

namespace osmark {

// The folder of the variable files.
inline constexpr char kVariablesFolder[] = "ENV:vars";

// The file of a variable, "ENV:vars\<name>"; empty for a name that would lead out of
// that folder (a ".." component, or a leading separator), whose file is then never
// touched.
std::string variable_file_name(const char* name);

}

#endif
