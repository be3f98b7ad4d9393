// What the DOS objects need of argument parsing.
#ifndef OSMARK_CORE_RUNTIME_READ_ARGS_INTERNAL_H
#define OSMARK_CORE_RUNTIME_READ_ARGS_INTERNAL_H

#include "osmark/args.h"

namespace osmark {

// Frees the block's parse and its values (FreeArgs without releasing the block).
void free_arg_parse(ArgBlock* block);

}

#endif
