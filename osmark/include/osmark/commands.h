/*
 * Running commands: SystemTagList starts a command line as a new process, and
 * GetVersionFromRegistry reads a version number from the registry.
 *
 * The program (the command's first word, between double quotes when it holds blanks)
 * is looked for as named (assigns expanded), then, when its name holds no '/', in each
 * folder of the variable PATH (separated by ':' or ';') and in "ENV:c". A file found
 * that can be executed starts with the rest of the command as its arguments; one that
 * cannot runs as a script of the command shell (the shell, the file, the rest). A
 * program found nowhere runs as a command of the shell: the shell, its argument and
 * the program with the rest as one text. Names are taken as they stand: no extension
 * is tried.
 *
 * The shell: with the name "COMSPEC" (the default) the variable COMSPEC, else
 * "/bin/sh", with the argument "-c"; any other name is the shell itself, without an
 * argument.
 *
 * The process gets the local variables as its environment unless RUN_Environment
 * gives one. Its first window's show options have no effect here.
 */
#ifndef OSMARK_COMMANDS_H
#define OSMARK_COMMANDS_H

#include "osmark/api.h"
#include "osmark/hooks.h"
#include "osmark/tags.h"

OSMARK_BEGIN_DECLS

#define RUN_Input 0x80000021u      /* FileHandle*: its system handle is the standard input */
#define RUN_Output 0x80000022u     /* FileHandle*: its system handle is the standard output */
#define RUN_Async 0x80000023u      /* nonzero: return at once with the process id */
#define RUN_CurrentDir 0x80000024u /* the folder the process starts in, as it stands */
#define RUN_Replace 0x80000025u    /* nonzero: start it, then end this program with code 0 */
#define RUN_Detached 0x80000026u   /* nonzero: start it in a session of its own, return 0 */
#define RUN_Minimised 0x80000027u  /* nonzero sets, zero clears: first window minimised */
#define RUN_Shell 0x80000028u      /* name of the command shell; "COMSPEC" by default */
#define RUN_Hidden 0x80000029u     /* nonzero sets, zero clears: first window hidden */
#define RUN_Environment \
    0x8000002Au /* environment block to pass as it stands; 0: this
                                       process's own */

/* How a command runs: the last nonzero one of RUN_Replace, RUN_Async and RUN_Detached
 * wins. */
enum RunModes {
    RunSynchronous = 1,
    RunReplace = 2,
    RunAsynchronous = 3,
    RunDetached = 4
};

/*
 * Runs the command. Synchronous: waits, keeping the thread's windows answered, and
 * returns the exit code. Asynchronous: the process id. Detached: 0. Replace: does not
 * return. -1 on failure with the code: -4 for no command, -1 for memory, -12 when the
 * program is not found and there is no PATH, or the translated system error.
 */
OSMARK_API int32_t SystemTagList(const char* command, const TagItem* tags) OSMARK_NOEXCEPT;

/* The value "VERSION" (in any case) under HKEY_LOCAL_MACHINE\sub_key read as a decimal
 * number; 0.0 when the key or the value is missing. */
OSMARK_API double GetVersionFromRegistry(const char* sub_key) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

/* SystemTags(command, tag, data, ..., TagEnd): the tags inline. */
#ifdef __cplusplus
template <typename... Words>
inline int32_t SystemTags(const char* command, Words... words) noexcept
{
    uintptr_t items[] = {osmark_hook_word(words)..., 0, 0};
    TagItem tags[sizeof...(Words) / 2 + 1];
    for (size_t i = 0; i < sizeof...(Words) / 2 + 1; ++i) {
        tags[i].ti_Tag = static_cast<Tag>(items[2 * i]);
        tags[i].ti_Data = items[2 * i + 1];
    }
    return SystemTagList(command, tags);
}
#else
#define SystemTags(command, ...) SystemTagList((command), (const TagItem*)(TagItem[]){__VA_ARGS__})
#endif

#endif
