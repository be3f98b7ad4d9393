// The program's path and arguments, and simple messages.

#include "framework/sysutils.h"
#include "runtime/command_line_words.h"

#include "platform/kernel.h"
#include "platform/user.h"

#include <string>

namespace fw::detail {

std::vector<QString> split_command_line(const QString& line)
{
    std::vector<QString> words;
    qsizetype i = 0;
    const qsizetype n = line.size();
    auto is_space = [&line](qsizetype at) { return line[at] == u' ' || line[at] == u'\t'; };

    // The program: no escapes.
    QString program;
    if (i < n && line[i] == u'"') {
        ++i;
        while (i < n && line[i] != u'"')
            program += line[i++];
        if (i < n)
            ++i;
    } else {
        while (i < n && !is_space(i))
            program += line[i++];
    }
    words.push_back(program);

    for (;;) {
        while (i < n && is_space(i))
            ++i;
        if (i >= n)
            break;
        QString word;
        bool quoted = false;
        while (i < n && (quoted || !is_space(i))) {
            qsizetype backslashes = 0;
            while (i < n && line[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && line[i] == u'"') {
                word += QString(backslashes / 2, u'\\');
                if (backslashes % 2 == 1)
                    word += u'"';
                else
                    quoted = !quoted;
                ++i;
                continue;
            }
            word += QString(backslashes, u'\\');
            if (i < n && (quoted || !is_space(i)))
                word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

}

namespace fw {

namespace {

QString program_path()
{
    std::string buffer(4096, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return QString::fromStdString(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}

QString ParamStr(int index)
{
    if (index == 0)
        return program_path();
    const std::vector<QString> words =
        detail::split_command_line(QString::fromUtf16(GetCommandLineW()));
    return index > 0 && static_cast<size_t>(index) < words.size()
               ? words[static_cast<size_t>(index)]
               : QString();
}

int ParamCount()
{
    const std::vector<QString> words =
        detail::split_command_line(QString::fromUtf16(GetCommandLineW()));
    return words.empty() ? 0 : static_cast<int>(words.size() - 1);
}

void ShowMessage(const QString& message)
{
    const QString caption = ChangeFileExt(ExtractFileName(program_path()), QString());
    MessageBoxA(nullptr, message.toStdString().c_str(), caption.toStdString().c_str(), MB_OK);
}

}
