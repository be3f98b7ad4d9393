/*
 * Argument parsing: ReadArgs parses a command-line text against a template and stores
 * one value per template item in the caller's result array; FreeArgs releases what it
 * allocated.
 *
 * Template: items separated by commas; each item is one or more names separated by
 * '=' (alternatives), then modifiers, each '/' and a letter (either case; other
 * letters are ignored):
 *     /S switch: 1 when the name is given
 *     /K keyword: a value only after the name, never by position
 *     /T toggle: starts from the result slot, flips between 0 and 1 per name given
 *     /N number: an integer (base 0: "0x", "0b" and a leading 0 apply) in the slot
 *     /A required: ReadArgs fails with -4 when the item has no value at the end
 *     /F final: after the name, the rest of the line
 *     /M multiple: any number of values, as a NULL-terminated vector of pointers
 *        (strings; with /N pointers to int32_t; with /D pointers to double)
 *     /D real: a pointer to a double
 * A word that names an item (its value following, "NAME value" or "NAME=value") sets
 * that item; other words and every quoted text ("...") are positional and fill the
 * items that take them. A lone "?" prints the template (or the block's prompt) and
 * " : " to the current output and reads one more line from the current input.
 *
 * The result array has one pointer-wide slot per item; ReadArgs writes the slots of
 * the items that received a value and leaves the others as the caller filled them.
 * Every block a slot points to lives until FreeArgs.
 */
#ifndef OSMARK_ARGS_H
#define OSMARK_ARGS_H

#include "osmark/api.h"
#include "osmark/array.h"

OSMARK_BEGIN_DECLS

enum ArgModifiers {
    ArgSwitch = 0x01,   /* /S */
    ArgKeyword = 0x02,  /* /K */
    ArgToggle = 0x04,   /* /T */
    ArgNumber = 0x08,   /* /N */
    ArgRequired = 0x10, /* /A */
    ArgFinal = 0x20,    /* /F */
    ArgMultiple = 0x40, /* /M */
    ArgReal = 0x80      /* /D */
};

/* One template item of a parse. */
typedef struct ArgItem {
    uint32_t ai_HasValue;
    uint32_t ai_Owned;     /* ai_Value is a block that FreeArgs frees */
    uint32_t ai_Modifiers; /* ArgModifiers */
    uintptr_t ai_Value;    /* a number, a 0/1 flag or a pointer */
} ArgItem;

/* The values of a multiple item. */
enum ArgMultiModes {
    ArgMultiStrings = 0,
    ArgMultiNumbers = 1,
    ArgMultiReals = 2
};

/* The record of one parse, followed by its items in the same block. */
typedef struct ArgList {
    uint32_t al_Count;
    ArgItem* al_Items;
    uint32_t al_MultiMode; /* ArgMultiModes */
    Array* al_MultiValues; /* the multiple item's values */
    Array* al_Positional;  /* positional strings not taken yet */
} ArgList;

enum ArgBlockFlags {
    ArgBlockFromInput = 1,      /* read the current input instead of the source */
    ArgBlockMadeByReadArgs = 2, /* FreeArgs releases the block */
    ArgBlockNeverPrompt = 4     /* "?" prompts nobody: ReadArgs returns what it has */
};

/* The text of a parse and its state (AllocDosObject kind 4 makes one over the
 * program's argument string). */
typedef struct ArgBlock {
    const char* ab_Source; /* the text to parse */
    uint32_t ab_Length;    /* its length */
    uint32_t ab_Position;  /* index of the next character of the source */
    ArgList* ab_Parse;     /* the current parse, NULL when none */
    char* ab_Buffer;       /* one token; NULL: ReadArgs keeps one of its own */
    uint32_t ab_BufferSize;
    const char* ab_Prompt; /* printed for "?"; NULL: the template and " : " */
    uint32_t ab_Flags;     /* ArgBlockFlags */
} ArgBlock;

/*
 * Parses the block's text (NULL block: a new one over the program's argument string,
 * released by FreeArgs) against the template into results. Returns the block, or NULL
 * with -1 (NULL template or results, out of memory, a token longer than the caller's
 * token buffer), -3 (a number or real that does not parse), -4 (a required item
 * without value), or the code of AllocDosObject. On failure what the call allocated
 * is freed; slots already written stay.
 */
OSMARK_API ArgBlock* ReadArgs(const char* arg_template, uintptr_t* results,
                              ArgBlock* block) OSMARK_NOEXCEPT;
/* Frees the block's parse and every value of it; a block made by ReadArgs goes too
 * (IoErr keeps its code). NULL, or a block without parse, is ignored. */
OSMARK_API void FreeArgs(ArgBlock* block) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
