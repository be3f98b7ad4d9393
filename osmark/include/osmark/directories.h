/*
 * Directories and file information by name: the current directory, directory
 * creation, renaming, copying, attributes, numbered backups, Examine and ExAll.
 * Every name goes through the assigns first (AllocExpandedPath).
 *
 * Attributes are the platform's file-attribute bits (FILE_ATTRIBUTE_READONLY 1,
 * FILE_ATTRIBUTE_DIRECTORY 16, ...); times are local date stamps.
 */
#ifndef OSMARK_DIRECTORIES_H
#define OSMARK_DIRECTORIES_H

#include "osmark/api.h"
#include "osmark/dates.h"
#include "osmark/files.h"
#include "osmark/hooks.h"

OSMARK_BEGIN_DECLS

/* What Examine, ExamineFH and the wildcard scans tell about one entry (AllocDosObject
 * kind 2 makes one cleared). */
typedef struct FileInfoBlock {
    uint32_t fib_Attributes;
    char fib_Name[512];          /* the entry's name without its directory */
    uint32_t fib_Size;           /* low 32 bits of the file's size */
    DateStampRec fib_Created;
    DateStampRec fib_Written;    /* last write */
    DateStampRec fib_Accessed;   /* last access */
    uint32_t fib_Reserved[8];    /* zero */
} FileInfoBlock;

/* A compiled pattern (ParsePattern, osmark/patterns.h). */
typedef struct ParsedPattern {
    uint32_t pp_Flags;        /* PatternHasWildcards, PatternNoCase */
    uint8_t* pp_Tokens;       /* token string from AllocVec, owned by the record's owner */
    uint32_t pp_BufferSize;   /* bytes allocated for the tokens */
    uint32_t pp_TokenLength;  /* bytes of tokens with the final end token; 0: none */
} ParsedPattern;

/* Set by ParsePattern when the pattern has wildcards. */
#define PatternHasWildcards 0x80000000u
/* Set by the caller after ParsePattern: letters compare without regard to case. */
#define PatternNoCase 0x00000001u

/*
 * The control record of a directory listing with ExAll (AllocDosObject kind 1 makes
 * it cleared; FreeDosObject frees the pattern's token buffer and ends a running
 * listing).
 */
typedef struct ExAllControl {
    uint32_t eac_Entries;         /* entries that the last ExAll put into the buffer */
    void* eac_State;              /* running listing, NULL while idle */
    ParsedPattern eac_Pattern;    /* with a token length above 0 only names that match
                                     are listed; fill it with ParsePattern */
    Hook* eac_MatchHook;          /* NULL, or called for every entry put into the buffer
                                     with the entry and a pointer to the type (int32_t);
                                     a result of 0 takes the entry out again */
} ExAllControl;

/*
 * One ExAll entry. Entries lie one after another in the caller's buffer, each made of
 * the fixed part of its type, then the name's characters and NUL (ed_Name points at
 * them); the next entry begins right after the NUL. Entries are NOT aligned: read
 * their fields with memcpy from the entry's address plus offsetof(ExAllData, field).
 * The fixed part of a type ends before the first field it leaves out:
 *   ExAllName        ed_Next, ed_Name           offsetof(ExAllData, ed_Attributes)
 *   ExAllAttributes  ... ed_Attributes          offsetof(ExAllData, ed_Size)
 *   ExAllSize        ... ed_Size                offsetof(ExAllData, ed_Created)
 *   ExAllDates       ... the three stamps       sizeof(ExAllData)
 */
typedef struct ExAllData {
    struct ExAllData* ed_Next;  /* NULL for the last entry */
    char* ed_Name;
    uint32_t ed_Attributes;
    uint32_t ed_Size;           /* low 32 bits */
    DateStampRec ed_Created;
    DateStampRec ed_Written;
    DateStampRec ed_Accessed;
} ExAllData;

enum ExAllTypes {
    ExAllName = 1,
    ExAllAttributes = 2,
    ExAllSize = 3,
    ExAllDates = 4
};

/* Makes the expanded path the current directory; NULL gives 0, an empty path 1 (no
 * change); otherwise the system's success flag, or -1 when the expansion fails. */
OSMARK_API int32_t CurrentDir(const char* path) OSMARK_NOEXCEPT;
/* A new block (AllocVec; free with FreeVec) holding the current directory; NULL on
 * failure. */
OSMARK_API char* GetCurrentDirName(void) OSMARK_NOEXCEPT;

/* Creates the directory and every missing level above it: 1 when it exists as a
 * directory afterwards, 0 on failure (an empty path, a level that is a file, a
 * refused creation; -4 for NULL). */
OSMARK_API int32_t CreateDir(const char* path) OSMARK_NOEXCEPT;
/* Moves a file or directory: 1, or 0 with the system's error translated (-1 when an
 * expansion fails, -4 for NULL). */
OSMARK_API int32_t Rename(const char* from, const char* to) OSMARK_NOEXCEPT;
/* Copies a file; a nonzero fail_if_exists refuses to replace an existing target.
 * Results as Rename. */
OSMARK_API int32_t Copy(const char* from, const char* to, int32_t fail_if_exists) OSMARK_NOEXCEPT;
/* Sets the file's attribute bits. Results as Rename. */
OSMARK_API int32_t ModifyFileAttributes(const char* path, uint32_t attributes) OSMARK_NOEXCEPT;

/*
 * Copies the file to a backup beside it, replacing its extension: with single nonzero
 * (and an extension other than "bak") the backup is ".bak", replaced when it exists;
 * otherwise the first of ".bak", ".bak1", ".bak2", ... that does not exist yet.
 * 1, or 0: -12 when the file does not exist, -1 when an expansion fails, or the
 * system's error translated.
 */
OSMARK_API int32_t BackupFile(const char* path, int32_t single) OSMARK_NOEXCEPT;
/* Copies the newest backup (the last of ".bak", ".bak1", ... before the first missing
 * one) over the file, and deletes it afterwards when delete_backup is nonzero. 1, or
 * 0: -12 when the file or every backup is missing, else as BackupFile. */
OSMARK_API int32_t RestoreFile(const char* path, int32_t delete_backup) OSMARK_NOEXCEPT;

/* Fills fib for the first entry that the expanded path names (wildcards allowed in
 * its last component): 1, or 0 when an argument is NULL or nothing is found (no error
 * code), or 0 with -1 when the expansion fails. */
OSMARK_API int32_t Examine(const char* path, FileInfoBlock* fib) OSMARK_NOEXCEPT;
/* Examine of the name stored in the file handle; 0 for NULL arguments. */
OSMARK_API int32_t ExamineFH(const FileHandle* fh, FileInfoBlock* fib) OSMARK_NOEXCEPT;

/*
 * Lists the directory into buffer as entries of the type (ExAllTypes), the directory's
 * own "." and ".." included. Returns 1 when the buffer is full and more entries remain
 * (call again with the same control for them), 0 when the listing has ended (IoErr
 * -33) or failed; control->eac_Entries then holds the number of entries in the
 * buffer, linked by ed_Next. Failures: -4 for a NULL argument, size 0 or another
 * type; -23 when an entry does not fit the whole buffer; -11/-12 when the path is no
 * directory; -1 for memory. Every failure but a pattern error ends the listing; after
 * a pattern error (MatchPattern gives -1) the listing stays until ExAllEnd.
 */
OSMARK_API int32_t ExAll(const char* path, void* buffer, uint32_t size, int32_t type,
                         ExAllControl* control) OSMARK_NOEXCEPT;
/* Ends a listing early: closes the search and frees its state. NULL or an idle
 * control is ignored. */
OSMARK_API void ExAllEnd(ExAllControl* control) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
