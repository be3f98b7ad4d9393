/*
 * The Win32 base types that the libraries' code is written against, for Linux.
 *
 * Widths follow Win32 on 64-bit Windows: BYTE/WORD/DWORD are 8/16/32 bits, LONG and
 * BOOL are 32-bit signed, handles and *_PTR types are pointer-wide. A handle is a
 * platform object, never a raw file descriptor; NULL and INVALID_HANDLE_VALUE keep
 * their Win32 meaning.
 */
#ifndef PLATFORM_WIN_TYPES_H
#define PLATFORM_WIN_TYPES_H

#include <stddef.h>
#include <stdint.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef int16_t SHORT;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int32_t INT;
typedef INT* LPINT;
typedef int32_t BOOL;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
/* UTF-16 code units: char16_t, so that C++ callers write u"text". */
#ifdef __cplusplus
typedef char16_t WCHAR;
#else
#include <uchar.h>
typedef char16_t WCHAR;
#endif
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

/* COM-style result codes: negative for failure. */
typedef LONG HRESULT;
#define S_OK 0
#define S_FALSE 1
#ifdef __cplusplus
#define E_NOINTERFACE (static_cast<HRESULT>(0x80004002u))
#define E_FAIL (static_cast<HRESULT>(0x80004005u))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#else
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_FAIL ((HRESULT)0x80004005u)
#define E_INVALIDARG ((HRESULT)0x80070057u)
#endif

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef void* HANDLE;
#define PLATFORM_DECLARE_HANDLE(name) typedef struct name##__* name
PLATFORM_DECLARE_HANDLE(HINSTANCE);
PLATFORM_DECLARE_HANDLE(HWND);
PLATFORM_DECLARE_HANDLE(HDC);
PLATFORM_DECLARE_HANDLE(HPEN);
typedef HINSTANCE HMODULE;

#ifdef __cplusplus
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#else
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#endif

#endif
