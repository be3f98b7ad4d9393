#include "framework/sysutils.h"

namespace fw {

Exception::Exception(const QString& message) : m_message(message), m_utf8(message.toStdString())
{
}

Exception::Exception(const QString& format, std::initializer_list<TVarRec> arguments)
    : Exception(Format(format, arguments))
{
}

void Exception::SetMessage(const QString& message)
{
    m_message = message;
    m_utf8 = message.toStdString();
}

void Assert(bool condition, const QString& message, const char* file, int line)
{
    if (condition)
        return;
    const QString text = message.isEmpty() ? QStringLiteral("Assertion failed") : message;
    // One substitution: a '%' in the message or the file name is text, not a place.
    throw EAssertionFailed(QStringLiteral("%1 (%2, line %3)")
                               .arg(text, QString::fromUtf8(file), QString::number(line)));
}

}
