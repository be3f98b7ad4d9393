// ShellExecuteW: documents and addresses to the desktop's handlers.

#include "platform/shell_execute.h"

#include "make_win32_error.h"
#include "path_translation.h"
#include "platform/kernel.h"

#include <QtCore/QString>
#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>
#include <QtGui/QGuiApplication>

#include <cstdio>
#include <new>

namespace {

HINSTANCE result(intptr_t code)
{
    return reinterpret_cast<HINSTANCE>(code);
}

// Success as Win32 reports it: any value above 32.
constexpr intptr_t kOpened = 42;

// "scheme:..." with a scheme of two or more characters, so that a drive letter ("C:")
// is no scheme.
bool is_address(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2 || !text[0].isLetter())
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = text[i];
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

bool has_desktop()
{
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QStringLiteral("offscreen") && name != QStringLiteral("minimal");
}

bool is_separator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// The path of a file, below the folder when the file's own path is relative.
QString full_path(const QString& file, const QString& directory)
{
    const bool absolute = (!file.isEmpty() && is_separator(file[0])) ||
                          (file.size() >= 2 && file[0].isLetter() && file[1] == u':');
    if (absolute || directory.isEmpty())
        return file;
    return is_separator(directory.back()) ? directory + file : directory + u'/' + file;
}

intptr_t open_target(const QString& file, const QString& directory)
{
    QUrl url;
    if (is_address(file)) {
        url = QUrl(file);
    } else {
        platform::TranslatedPath path;
        if (!platform::translate_path(full_path(file, directory).toStdString().c_str(), path))
            return SE_ERR_FNF;
        if (!path.parent_exists)
            return SE_ERR_PNF;
        if (!path.exists)
            return SE_ERR_FNF;
        url = QUrl::fromLocalFile(QString::fromStdString(path.native));
    }
    if (!has_desktop()) {
        std::fprintf(stderr, "ShellExecute: open %s\n", url.toString().toStdString().c_str());
        std::fflush(stderr);
        return kOpened;
    }
    return QDesktopServices::openUrl(url) ? kOpened : SE_ERR_NOASSOC;
}

}

extern "C" {

PLATFORM_API HINSTANCE ShellExecuteW(HWND /*owner*/, LPCWSTR operation, LPCWSTR file,
                                     LPCWSTR /*parameters*/, LPCWSTR directory,
                                     INT /*show_command*/) noexcept
{
    try {
        if (file == nullptr || file[0] == 0) {
            platform::make_win32_error(ERROR_FILE_NOT_FOUND);
            return result(SE_ERR_FNF);
        }
        if (operation != nullptr &&
            QString::fromUtf16(operation).compare(u"open", Qt::CaseInsensitive) != 0) {
            platform::make_win32_error(ERROR_NO_ASSOCIATION);
            return result(SE_ERR_NOASSOC);
        }
        const intptr_t code =
            open_target(QString::fromUtf16(file),
                        directory != nullptr ? QString::fromUtf16(directory) : QString());
        if (code <= 32)
            platform::make_win32_error(code == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION
                                                              : static_cast<DWORD>(code));
        return result(code);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return result(SE_ERR_OOM);
    }
}
}
