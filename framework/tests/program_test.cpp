// The program's path, its arguments and simple messages.

#include "framework/sysutils.h"
#include "qstring_printer.h"
#include "runtime/command_line_words.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

using namespace fw;

TEST(Program, CommandLinesSplitByTheWin32Rules)
{
    struct Row {
        const char16_t* line;
        std::vector<const char16_t*> words;
    };
    const Row rows[] = {
        {u"prog a b", {u"prog", u"a", u"b"}},
        {u"\"C:\\Program Files\\v.exe\" \"C:\\My Parts\\p.dxf\"",
         {u"C:\\Program Files\\v.exe", u"C:\\My Parts\\p.dxf"}},
        // A quoted program followed by its argument without a blank: one word.
        {u"\"/opt/v\"/home/a.dxf", {u"/opt/v", u"/home/a.dxf"}},
        {u"p \"a \\\"q\\\" b\" c\\d \\\\\"e f\"", {u"p", u"a \"q\" b", u"c\\d", u"\\e f"}},
        {u"p  \t x\t", {u"p", u"x"}},
        {u"p \"\"", {u"p", u""}},
        {u"", {u""}},
    };
    for (const Row& row : rows) {
        const QString line = QString::fromUtf16(row.line);
        SCOPED_TRACE(line.toStdString());
        std::vector<QString> expected;
        for (const char16_t* word : row.words)
            expected.push_back(QString::fromUtf16(word));
        EXPECT_EQ(detail::split_command_line(line), expected);
    }
}

TEST(Program, ParamStrZeroIsTheProgramFile)
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    ASSERT_GT(length, 0);
    EXPECT_EQ(ParamStr(0), QString::fromUtf8(path, length));
    EXPECT_EQ(ParamStr(ParamCount() + 1), QString());
    EXPECT_EQ(ParamStr(-1), QString());
}

TEST(Program, ShowMessageWithoutADisplayGoesToStandardError)
{
    testing::internal::CaptureStderr();
    ShowMessage(QStringLiteral("Could not change directory to\r\n/X"));
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Could not change directory to\r\n/X"), std::string::npos) << out;
}
