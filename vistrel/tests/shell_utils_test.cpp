// The viewer's routines that face the platform.

#include "units/shell_utils.h"

#include "framework/sysutils.h"
#include "test_support/child_process.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

using namespace vistrel;
using test_support::TempFolder;

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string program_folder()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string whole(path, length > 0 ? static_cast<size_t>(length) : 0);
    return whole.substr(0, whole.rfind('/') + 1);
}

// Sets an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_old.empty())
            unsetenv(m_name);
        else
            setenv(m_name, m_old.c_str(), 1);
    }

private:
    const char* m_name;
    std::string m_old;
};

}

TEST(ShellUtils, DataFolderLiesInTheCommonApplicationData)
{
    EXPECT_EQ(GetAppDataFolder(QStringLiteral("Tarvek CAD Viewer")),
              q(std::string(std::getenv("XDG_DATA_HOME")) + "/Tarvek/Tarvek CAD Viewer/"));
    EXPECT_EQ(GetAppDataFolder(QString()),
              q(std::string(std::getenv("XDG_DATA_HOME")) + "/Tarvek/"));
    {
        // Without the folder the program's own folder serves.
        const ScopedVariable data("XDG_DATA_HOME", nullptr);
        const ScopedVariable home("HOME", nullptr);
        EXPECT_EQ(GetAppDataFolder(QStringLiteral("Sub")), q(program_folder() + "Sub/"));
    }
    EXPECT_FALSE(
        fw::DirectoryExists(GetAppDataFolder(QStringLiteral("Tarvek CAD Viewer")))); // nothing made
}

TEST(ShellUtils, ProgramAndExeFolderAreTheProgramFilesFolder)
{
    EXPECT_EQ(GetProgramFolder(), q(program_folder()));
    EXPECT_EQ(GetExeFolder(), GetProgramFolder());
}

TEST(ShellUtils, ShellOpenRaisesTheShellsMessagesUnlessQuiet)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString missing = q(folder.path("none.pdf"));
    try {
        ShellOpen(nullptr, missing, false, QString());
        FAIL() << "no error";
    } catch (const fw::Exception& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("The specified file was not found."));
    }
    try {
        ShellOpen(nullptr, q(folder.path("none/x.pdf")), false, QString());
        FAIL() << "no error";
    } catch (const fw::Exception& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("The specified path was not found."));
    }
    EXPECT_TRUE(ShellOpen(nullptr, missing, true, QString()));

    testing::internal::CaptureStderr();
    EXPECT_TRUE(ShellOpen(nullptr, QStringLiteral("https://www.example.com/"), false, QString()));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("https://www.example.com/"),
              std::string::npos);
}

TEST(ShellUtils, ThirteenShellMessages)
{
    const std::pair<intptr_t, const char*> rows[] = {
        {0, "The operating system is out of memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied access to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred."},
        {27, "The filename association is incomplete or invalid."},
        {28, "The DDE transaction could not be completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not be completed because other DDE transactions were being "
             "processed."},
        {31, "There is no application associated with the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    for (const auto& [code, message] : rows)
        EXPECT_EQ(ShellErrorMessage(code), QString::fromUtf8(message)) << code;
    for (const intptr_t other : {1, 4, 33, 42, -1})
        EXPECT_EQ(ShellErrorMessage(other), QString()) << other;
}

TEST(ShellUtils, VersionTextLeavesOutThePointBeforeTheRelease)
{
    QString version = QStringLiteral("unchanged");
    GetExeVersionString(version); // this test program is 3.0.2.0
    EXPECT_EQ(version, QStringLiteral("3.02.0"));

    const test_support::ChildResult numbered =
        test_support::run_child(test_support::program_beside_test("vistrel_version_probe"), {});
    EXPECT_EQ(numbered.out, "1.210.4\n"); // 1.2.10.4
    const test_support::ChildResult plain = test_support::run_child(
        test_support::program_beside_test("vistrel_version_probe_plain"), {});
    EXPECT_EQ(plain.out, "unchanged\n"); // no version: left as it was
}

TEST(ShellUtils, RunProgramAndWaitRunsInTheProgramsFolderAndComesBack)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string script = folder.write(
        "Conv Tools/convert.sh", "#!/bin/sh\n"
                                 "printf '%s|%s|%s' \"$(pwd)\" \"$1\" \"$2\" > ran.txt\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    const QString before = fw::GetCurrentDir();

    EXPECT_TRUE(
        RunProgramAndWait(q(script), QStringLiteral("\"/in/a b.dwg\" \"/out/Tmp.Dxf\""), true));
    // Waited for: the script's last word is there; it ran in its own folder.
    EXPECT_EQ(test_support::read_file(folder.path("Conv Tools/ran.txt")),
              folder.path("Conv Tools") + "|/in/a b.dwg|/out/Tmp.Dxf");
    EXPECT_EQ(fw::GetCurrentDir(), before);
}

TEST(ShellUtils, RunProgramAndWaitReportsAFolderItCannotEnterAndRunsNothing)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString before = fw::GetCurrentDir();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RunProgramAndWait(q(folder.path("missing/convert.sh")), QString(), true));
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Could not change directory to\r\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find(fw::AnsiUpperCase(q(folder.path("missing"))).toStdString()),
              std::string::npos)
        << shown;
    EXPECT_EQ(fw::GetCurrentDir(), before);

    if (geteuid() != 0) {
        const std::string script = folder.write("locked/convert.sh", "#!/bin/sh\ntouch ran.txt\n");
        ASSERT_EQ(chmod(script.c_str(), 0755), 0);
        ASSERT_EQ(chmod(folder.path("locked").c_str(), 0600), 0);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(RunProgramAndWait(q(script), QString(), true));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Could not change directory to"),
                  std::string::npos);
        ASSERT_EQ(chmod(folder.path("locked").c_str(), 0700), 0);
        EXPECT_FALSE(test_support::exists(folder.path("locked/ran.txt")));
    }
}

TEST(ShellUtils, RunProgramAndWaitIsFalseWhenTheProgramDoesNotStart)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string not_executable = folder.write("data.txt", "just text");
    const QString before = fw::GetCurrentDir();
    EXPECT_FALSE(RunProgramAndWait(q(not_executable), QStringLiteral("x"), false));
    EXPECT_FALSE(
        RunProgramAndWait(q(folder.path("DWG_DXF.EXE")), QString(), true)); // no converter here
    // A program in the root folder: the root is entered, so no folder is reported.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RunProgramAndWait(QStringLiteral("/tarvek-no-such-program"), QString(), true));
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("Could not change directory"),
              std::string::npos);
    EXPECT_EQ(fw::GetCurrentDir(), before);
}
