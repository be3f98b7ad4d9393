/*
 * Version information of program and library files: the subset of Win32 that the
 * viewer calls to show its own version.
 *
 * Provided here: GetFileVersionInfoSizeW, GetFileVersionInfoW and VerQueryValueW for
 * the fixed part ("\"). A Linux file carries no version resource; the version comes
 * from the ELF note that the build gives a program or library
 * (tarvek_add_version_note in cmake/TarvekVersionNote.cmake). A file without it has
 * no version information. The names follow the platform's path rules (platform/files.h).
 */
#ifndef PLATFORM_VERSION_INFO_H
#define PLATFORM_VERSION_INFO_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_RESOURCE_TYPE_NOT_FOUND
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813
#endif

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VFT_APP 0x00000001u

/* The fixed part of a version resource. The version words hold two 16-bit numbers
 * each, the first in the high half: 3.0.2.0 is MS 0x00030000, LS 0x00020000. */
typedef struct VS_FIXEDFILEINFO {
    DWORD dwSignature; /* VS_FFI_SIGNATURE */
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

/*
 * The bytes GetFileVersionInfoW needs for the file's version information, or 0 with
 * the last error: ERROR_RESOURCE_TYPE_NOT_FOUND for a file without version,
 * ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND for a missing one. *handle (when
 * given) is set to 0.
 */
PLATFORM_API DWORD GetFileVersionInfoSizeW(LPCWSTR file_name, LPDWORD handle) PLATFORM_NOEXCEPT;

/* Copies the version information into data (length bytes, at least the size above).
 * FALSE with the last error as above, or ERROR_INSUFFICIENT_BUFFER. */
PLATFORM_API BOOL GetFileVersionInfoW(LPCWSTR file_name, DWORD handle, DWORD length,
                                      LPVOID data) PLATFORM_NOEXCEPT;

/* For sub_block "\": *buffer points at the VS_FIXEDFILEINFO inside block, *length is its
 * size. FALSE for any other sub-block (there are no string tables) or a block that
 * GetFileVersionInfoW did not fill. */
PLATFORM_API BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer,
                                 UINT* length) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
