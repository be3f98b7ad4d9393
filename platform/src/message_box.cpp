#include "platform/user.h"

#include <QtCore/QString>

#include <cstdio>

namespace {

// The answer of a headless message box: its default button.
int default_button(UINT type)
{
    static constexpr int kButtons[][3] = {
        {IDOK, IDOK, IDOK},                // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},        // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},      // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},           // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},               // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},     // MB_RETRYCANCEL
    };
    const UINT kind = type & MB_TYPEMASK;
    const UINT choice = (type & MB_DEFMASK) >> 8;
    if (kind >= sizeof kButtons / sizeof kButtons[0] || choice > 2)
        return IDOK;
    return kButtons[kind][choice];
}

}

extern "C" {

PLATFORM_API int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) noexcept
{
    // No display here: tell standard error and answer the default button.
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error",
                 text != nullptr ? text : "");
    std::fflush(stderr);
    return default_button(type);
}

}

extern "C" {

PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) noexcept
{
    try {
        const QByteArray text_bytes =
            text != nullptr ? QString::fromUtf16(text).toUtf8() : QByteArray();
        const QByteArray caption_bytes =
            caption != nullptr ? QString::fromUtf16(caption).toUtf8() : QByteArray("Error");
        return MessageBoxA(owner, text_bytes.constData(), caption_bytes.constData(), type);
    } catch (...) {
        return default_button(type);
    }
}
}
