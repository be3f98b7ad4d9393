// Lets GoogleTest show QStrings as text in its failure messages.
#ifndef FRAMEWORK_TESTS_QSTRING_PRINTER_H
#define FRAMEWORK_TESTS_QSTRING_PRINTER_H

#include <QtCore/QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

#endif
