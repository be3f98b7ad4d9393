// File names as text: no file system is asked.

#include "framework/sysutils.h"

namespace fw {

namespace {

bool is_delimiter(QChar c)
{
    return c == u'/' || c == u'\\';
}

// The index of the last separator, -1 without one.
qsizetype last_delimiter(const QString& path)
{
    for (qsizetype i = path.size(); i-- > 0;) {
        if (is_delimiter(path[i]))
            return i;
    }
    return -1;
}

// The index of the '.' that starts the name's extension, -1 without one.
qsizetype extension_start(const QString& path)
{
    for (qsizetype i = path.size(); i-- > 0;) {
        if (path[i] == u'.')
            return i;
        if (is_delimiter(path[i]))
            return -1;
    }
    return -1;
}

}

bool IsPathDelimiter(const QString& path, qsizetype index)
{
    return index >= 0 && index < path.size() && is_delimiter(path[index]);
}

QString ExtractFileName(const QString& path)
{
    return path.mid(last_delimiter(path) + 1);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(last_delimiter(path) + 1);
}

QString ExtractFileExt(const QString& path)
{
    const qsizetype start = extension_start(path);
    return start < 0 ? QString() : path.mid(start);
}

QString ChangeFileExt(const QString& path, const QString& extension)
{
    const qsizetype start = extension_start(path);
    return (start < 0 ? path : path.left(start)) + extension;
}

QString IncludeTrailingPathDelimiter(const QString& path)
{
    if (IsPathDelimiter(path, path.size() - 1))
        return path;
    return path + QChar(PathDelim);
}

QString ExcludeTrailingPathDelimiter(const QString& path)
{
    if (IsPathDelimiter(path, path.size() - 1))
        return path.left(path.size() - 1);
    return path;
}

std::string PathToUtf8(const QString& path)
{
    return path.toStdString();
}

}
