// Streams over memory and over files.

#include "framework/classes.h"
#include "qstring_printer.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace fw;
using test_support::TempFolder;

namespace {

std::string contents(TMemoryStream& stream)
{
    return std::string(static_cast<const char*>(stream.Memory()),
                       static_cast<size_t>(stream.Size()));
}

}

TEST(Streams, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    EXPECT_EQ(stream.Position(), 6);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Seek(-4, soCurrent), 2);
    char two[2];
    stream.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), "cd");
    EXPECT_EQ(stream.Seek(-1, soEnd), 5);

    // Past the end: a read gives nothing, a write fills the gap with zeros.
    stream.SetPosition(8);
    EXPECT_EQ(stream.Read(two, 2), 0);
    stream.WriteBuffer("Z", 1);
    EXPECT_EQ(contents(stream), std::string("abcdef\0\0Z", 9));
    // Before the start: nothing moves.
    stream.SetPosition(-3);
    EXPECT_EQ(stream.Read(two, 1), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);

    // Cut below the position: the position moves to the new end.
    stream.SetPosition(9);
    stream.SetSize(3);
    EXPECT_EQ(contents(stream), "abc");
    EXPECT_EQ(stream.Position(), 3);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
}

TEST(Streams, ShortReadsAndWritesRaise)
{
    TMemoryStream stream;
    stream.WriteBuffer("ab", 2);
    stream.SetPosition(0);
    char buffer[4];
    try {
        stream.ReadBuffer(buffer, 3);
        FAIL() << "no error";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Stream read error"));
    }
    EXPECT_NO_THROW(stream.ReadBuffer(buffer, 0));

    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString path = QString::fromStdString(folder.write("read-only.bin", "data"));
    TFileStream reader(path, fmOpenRead);
    try {
        reader.WriteBuffer("x", 1);
        FAIL() << "no error";
    } catch (const EWriteError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Stream write error"));
    }
}

TEST(Streams, CopyFromTakesAllOrACount)
{
    TMemoryStream source;
    std::string big(0x25000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    source.WriteBuffer(big.data(), static_cast<int32_t>(big.size()));

    TMemoryStream whole;
    EXPECT_EQ(whole.CopyFrom(&source, 0),
              static_cast<int64_t>(big.size())); // from the start, in blocks
    EXPECT_EQ(contents(whole), big);

    source.SetPosition(10);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(&source, 5), 5);
    EXPECT_EQ(contents(part), big.substr(10, 5));
    source.SetPosition(static_cast<int64_t>(big.size()) - 2);
    EXPECT_THROW(part.CopyFrom(&source, 5), EReadError);
}

TEST(Streams, FileStreamsCreateOpenAndShare)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString path = QString::fromStdString(folder.path("Data.BIN"));
    {
        TFileStream created(path, fmCreate);
        created.WriteBuffer("hello world", 11);
        created.SetSize(5);
        EXPECT_EQ(created.Size(), 5);
    }
    EXPECT_EQ(test_support::read_file(folder.path("Data.BIN")), "hello");

    // Found without regard to case; two readers may share when both allow it.
    TFileStream first(QString::fromStdString(folder.path("data.bin")),
                      fmOpenRead | fmShareDenyWrite);
    TFileStream second(path, fmOpenRead | fmShareDenyWrite);
    char buffer[5];
    second.ReadBuffer(buffer, 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(second.Read(buffer, 5), 0);
    // A writer is refused while the readers deny writing.
    EXPECT_THROW((TFileStream{path, fmOpenReadWrite | fmShareDenyNone}), EFOpenError);

    TMemoryStream memory;
    memory.LoadFromFile(path);
    EXPECT_EQ(contents(memory), "hello");
}

TEST(Streams, FilesThatCannotBeMadeOrOpenedRaiseWithTheirNames)
{
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const QString missing_folder = QString::fromStdString(folder.path("none/x.bin"));
    try {
        TFileStream stream(missing_folder, fmCreate);
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot create file ") + missing_folder);
    }
    try {
        TFileStream stream(missing_folder, fmOpenRead);
        FAIL() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot open file ") + missing_folder);
    }
    TMemoryStream memory;
    memory.WriteBuffer("abc", 3);
    const QString path = QString::fromStdString(folder.path("saved.bin"));
    memory.SaveToFile(path);
    EXPECT_EQ(test_support::read_file(folder.path("saved.bin")), "abc");
}
