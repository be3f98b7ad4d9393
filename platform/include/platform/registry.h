/*
 * The registry of the platform layer: the subset of Win32's registry functions that
 * the libraries call, kept in files.
 *
 * Provided: RegOpenKeyExA, RegCreateKeyExA, RegCloseKey, RegQueryValueExA,
 * RegSetValueExA and RegEnumValueA on the two roots HKEY_CURRENT_USER and
 * HKEY_LOCAL_MACHINE. Other roots give ERROR_INVALID_HANDLE. Keys and values cannot be
 * deleted.
 *
 * Names. Key paths are components separated by '\'; empty components (a leading,
 * doubled or trailing '\') are passed over. Key and value names compare without regard
 * to ASCII case, and keep the spelling they were created with. A NULL or empty value
 * name is the key's default value.
 *
 * Access. A handle opened without KEY_QUERY_VALUE cannot read values, one without
 * KEY_SET_VALUE cannot write them (ERROR_ACCESS_DENIED). The two roots allow
 * everything. Handles are validated: a closed or made-up handle gives
 * ERROR_INVALID_HANDLE and is never dereferenced.
 *
 * Data is kept as the bytes given, with its type: RegSetValueExA stores exactly
 * size bytes (a REG_SZ caller includes the string's NUL), and RegQueryValueExA hands
 * back the same bytes.
 *
 * Storage. Each root is one text file under $XDG_CONFIG_HOME/tarvek/registry/
 * ($XDG_CONFIG_HOME unset, empty or relative: ~/.config): "current_user" and
 * "local_machine". Every call reads the file afresh, so changes made by another
 * process are seen at once; a change rewrites the whole file through a temporary file
 * and a rename, under an exclusive lock of the file "<root>.lock" beside it, so
 * readers never see half a file and two writers never lose each other's changes.
 * The file format, one record per line (LF):
 *
 *     tarvek-registry 1
 *     key <path>
 *     value <name> <type> x<hex data>
 *
 * The first line names the format; a "key" line opens a key (the root is "@"), and
 * the "value" lines after it are its values in the order they were made. Names and
 * paths are written with every byte that is not printable ASCII, and the bytes
 * '%', ' ' and '@', as '%' and two hex digits; an empty name is "@". The type is a
 * decimal number, the data lower-case hex digits after an 'x' ("x" alone for no data).
 * Reading trusts nothing: a file whose first line differs, or that is larger than
 * 16 MiB, reads as empty, and a line that does not parse (a value longer than 1 MiB,
 * a bad escape, a value before any key) is passed over. Writing a store that read as
 * empty replaces the file.
 *
 * Result codes are Win32's: ERROR_SUCCESS, or an error number (the functions do not
 * set the thread's last error, as on Win32).
 */
#ifndef PLATFORM_REGISTRY_H
#define PLATFORM_REGISTRY_H

#include "platform/api.h"
#include "platform/sync.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

PLATFORM_DECLARE_HANDLE(HKEY);
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

/* The two roots, as Win32 numbers them (sign-extended to pointer width). */
#ifdef __cplusplus
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u)))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002u)))))
#else
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000002u)
#endif

/* Access rights. */
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

/* Value types. */
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

/* RegCreateKeyExA: options and dispositions. */
#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

/* Results. */
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif
#ifndef ERROR_NOT_ENOUGH_MEMORY
#define ERROR_NOT_ENOUGH_MEMORY 8
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234
#endif
#ifndef ERROR_NO_MORE_ITEMS
#define ERROR_NO_MORE_ITEMS 259
#endif
#ifndef ERROR_CANTWRITE
#define ERROR_CANTWRITE 1013
#endif
#ifndef ERROR_KEY_DELETED
#define ERROR_KEY_DELETED 1018
#endif

/*
 * Opens root\sub_key (NULL or empty: a new handle of root itself) with the access
 * asked for; options must be 0. ERROR_FILE_NOT_FOUND when the key does not exist.
 * Close the handle with RegCloseKey.
 */
PLATFORM_API LSTATUS RegOpenKeyExA(HKEY root, LPCSTR sub_key, DWORD options, REGSAM access,
                                   PHKEY result) PLATFORM_NOEXCEPT;

/*
 * Opens root\sub_key, creating it and every missing key above it; the disposition
 * (when not NULL) tells which. Class, options and security attributes are accepted
 * and not kept. ERROR_CANTWRITE when the store cannot be written.
 */
PLATFORM_API LSTATUS RegCreateKeyExA(HKEY root, LPCSTR sub_key, DWORD reserved, LPSTR key_class,
                                     DWORD options, REGSAM access,
                                     const SECURITY_ATTRIBUTES* security_attributes, PHKEY result,
                                     LPDWORD disposition) PLATFORM_NOEXCEPT;

/* Closes a handle from RegOpenKeyExA or RegCreateKeyExA; closing a root does nothing. */
PLATFORM_API LSTATUS RegCloseKey(HKEY key) PLATFORM_NOEXCEPT;

/*
 * Reads a value: its type through type, its bytes into data. With data NULL only the
 * size is reported (size must not be NULL then). When *size is too small: ERROR_MORE_DATA,
 * *size = the size needed, data untouched. *size is set to the bytes stored on
 * success. reserved must be NULL. ERROR_FILE_NOT_FOUND for a missing value.
 */
PLATFORM_API LSTATUS RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                                      BYTE* data, LPDWORD size) PLATFORM_NOEXCEPT;

/* Creates or replaces a value with size bytes of data (data may be NULL only for
 * size 0). */
PLATFORM_API LSTATUS RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type,
                                    const BYTE* data, DWORD size) PLATFORM_NOEXCEPT;

/*
 * The value at index (0 first, in the order the values were made): its name into
 * name (*name_size characters with the NUL; on success *name_size = the name's length
 * without it), and as RegQueryValueExA its type and data (each may be NULL; data needs
 * size). ERROR_NO_MORE_ITEMS past the last value; ERROR_MORE_DATA when the name or the
 * data does not fit (*size then tells the data size needed).
 */
PLATFORM_API LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD name_size,
                                   LPDWORD reserved, LPDWORD type, BYTE* data,
                                   LPDWORD size) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
