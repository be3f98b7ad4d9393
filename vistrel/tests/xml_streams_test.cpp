// The codec streams, the buffered streams and the parser's small companions.

#include "xml/xml_document.h"
#include "xml/xml_streams.h"

#include <gtest/gtest.h>

#include <string>

using namespace vistrel;

namespace {

std::string message_of(const std::function<void()>& call)
{
    try {
        call();
    } catch (const fw::EStreamError& error) {
        return error.Message().toStdString();
    }
    return "(none)";
}

// Everything a codec stream delivers until its zero character.
std::string read_all(TxdCodecStream& codec)
{
    std::string text;
    char c = 0;
    while (codec.Read(&c, 1) == 1)
        text.push_back(c);
    return text;
}

std::string utf16le(const std::u16string& text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

template <typename Codec>
std::string write_through(TStringEncodingType encoding, const std::string& text)
{
    TxdStringStream target("");
    {
        Codec codec(&target);
        codec.SetEncoding(encoding);
        codec.Write(text.data(), static_cast<int32_t>(text.size()));
    }
    return target.DataString();
}

}

TEST(XmlCodecStream, FindsTheEncodingByMarkOrFirstBytes)
{
    struct Row {
        std::string bytes;
        TStringEncodingType encoding;
        std::string text; // what an 8-bit text side reads
    };
    const Row rows[] = {
        {"\xEF\xBB\xBF<a/>", seUTF8, "<a/>"},
        {"<?xml?>", se8Bit, "<?xml?>"},
        {"plain", se8Bit, "plain"},
        {"\xFF\xFE" + utf16le(u"<a/>"), seUTF16LE, "<a/>"},
        {std::string("\xFE\xFF\0<\0a", 6), seUTF16BE, "<a"},
        {utf16le(u"<?x"), seUTF16LE, "<?x"}, // no mark: found by "<?" itself
    };
    for (const Row& row : rows) {
        TxdStringStream source(row.bytes);
        TxdAnsiStream codec(&source);
        EXPECT_EQ(read_all(codec), row.text) << row.bytes;
        EXPECT_EQ(codec.Encoding(), row.encoding) << row.bytes;
    }
}

TEST(XmlCodecStream, RefusesWhatItCannotRead)
{
    {
        TxdStringStream empty("");
        TxdAnsiStream codec(&empty);
        char c = 0;
        EXPECT_EQ(message_of([&] { codec.Read(&c, 1); }), "Unsupported ansistring encoding");
    }
    {
        // One "<" looks like the start of "<" in four-byte units.
        TxdStringStream lone("<");
        TxdAnsiStream codec(&lone);
        char c = 0;
        EXPECT_EQ(message_of([&] { codec.Read(&c, 1); }), "Unsupported ansistring encoding");
        EXPECT_EQ(codec.Encoding(), seUCS4LE);
    }
    {
        TxdStringStream source("<?xml");
        TxdAnsiStream codec(&source);
        char two[2];
        EXPECT_EQ(message_of([&] { codec.Read(two, 2); }),
                  "Cannot read multiple chars from conversion stream at once");
        EXPECT_EQ(message_of([&] { codec.Write("x", 1); }),
                  "Cannot write to an UTF stream opened for reading");
    }
    {
        TxdStringStream source("");
        TxdAnsiStream codec(&source);
        EXPECT_EQ(codec.Position(), 0); // asking is allowed before the first read
        EXPECT_EQ(message_of([&] { codec.Seek(-1, fw::soCurrent); }),
                  "Cannot seek before reading or writing in conversion stream");
        TxdAnsiStream unassigned(nullptr);
        char c = 0;
        EXPECT_EQ(message_of([&] { unassigned.Read(&c, 1); }), "Encoding stream unassigned");
    }
}

TEST(XmlCodecStream, SixteenBitTextOnAnEightBitSide)
{
    TxdStringStream source("\xFF\xFE" + utf16le(u"a\u00E9\u20AC\u4E2D\u4E2Db"));
    TxdAnsiStream codec(&source);
    int losses = 0;
    codec.OnUnicodeLoss = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &codec);
        ++losses;
    };
    // The euro sign is in the code page; the other two characters are not, and each
    // reads as "?" (not as its low byte), the loss told once.
    EXPECT_EQ(read_all(codec), "a\xE9\x80??b");
    EXPECT_EQ(losses, 1);
    EXPECT_TRUE(codec.WarningUnicodeLoss());
}

TEST(XmlCodecStream, Utf8SideReadsEveryEncodingInFull)
{
    struct Row {
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"\xEF\xBB\xBF"
         "a\xF0\x9F\x98\x80\xC3\xA9",
         "a\xF0\x9F\x98\x80\xC3\xA9"},
        {"\xEF\xBB\xBF"
         "a\xE2\x82z\x80",
         "a?z?"},                                     // cut and stray sequences
        {"<?xm\x80\xE9", "<?xm\xE2\x82\xAC\xC3\xA9"}, // 8-bit text is Windows-1252
        {"\xFF\xFE" + utf16le(u"<\U0001F600\u00E9"), "<\xF0\x9F\x98\x80\xC3\xA9"},
        {"\xFF\xFE" + utf16le(std::u16string(u"<") + char16_t(0xD800) + u"x"), "<?x"},
    };
    for (const Row& row : rows) {
        TxdStringStream source(row.bytes);
        TxdUtf8Stream codec(&source);
        EXPECT_EQ(read_all(codec), row.text) << row.bytes;
    }
}

TEST(XmlCodecStream, StepsBackOverTheLastTwoCharacters)
{
    TxdStringStream source("\xEF\xBB\xBF"
                           "a\xC3\xA9"
                           "bc");
    TxdUtf8Stream codec(&source);
    char c = 0;
    codec.Read(&c, 1);
    codec.Read(&c, 1); // the first byte of the two-byte character
    EXPECT_EQ(static_cast<unsigned char>(c), 0xC3);
    codec.Seek(-2, fw::soCurrent);
    EXPECT_EQ(read_all(codec), "a\xC3\xA9"
                               "bc");
    EXPECT_EQ(codec.Seek(0, fw::soEnd), 8);
    EXPECT_EQ(message_of([&] { codec.Seek(3, fw::soCurrent); }),
              "Cannot perform seek on codec stream");
}

TEST(XmlCodecStream, WritesMarksAndEncodings)
{
    // UTF-16 big-endian: the mark, then each character high byte first, from either side.
    EXPECT_EQ(write_through<TxdAnsiStream>(seUTF16BE, "a\x80"),
              std::string("\xFE\xFF\0a\x20\xAC", 6));
    EXPECT_EQ(write_through<TxdUtf8Stream>(seUTF16BE, "a\xE2\x82\xAC"),
              std::string("\xFE\xFF\0a\x20\xAC", 6));
    // Four UTF-8 bytes become a surrogate pair; cut sequences "?".
    EXPECT_EQ(write_through<TxdUtf8Stream>(se16BitLE, "\xF0\x9F\x98\x80"),
              std::string("\x3D\xD8\x00\xDE", 4));
    EXPECT_EQ(write_through<TxdUtf8Stream>(se8Bit, "\xC3\xA9\xE2\x82x\xE4\xB8\xAD"), "\xE9?x?");
    EXPECT_EQ(write_through<TxdAnsiStream>(seUTF8, "\xE9"), "\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(write_through<TxdUtf8Stream>(seUTF8, "\xC3\xA9"), "\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(write_through<TxdAnsiStream>(se8Bit, "plain"), "plain");

    TxdStringStream target("");
    TxdAnsiStream codec(&target);
    codec.SetEncoding(seEBCDIC);
    EXPECT_EQ(message_of([&] { codec.Write("x", 1); }), "Unsupported ansistring encoding");
}

TEST(XmlBufferedStreams, ReadAcrossPagesAndWriteInBlocks)
{
    std::string bytes(kXmlBufferSize * 2 + 10, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    TxdStringStream source(bytes);
    TxdBufferedReadStream reader(&source);
    std::string head(kXmlBufferSize - 3, '\0');
    ASSERT_EQ(reader.Read(head.data(), static_cast<int32_t>(head.size())), kXmlBufferSize - 3);
    std::string across(kXmlBufferSize + 10, '\0');
    ASSERT_EQ(reader.Read(across.data(), static_cast<int32_t>(across.size())), kXmlBufferSize + 10);
    EXPECT_EQ(head + across, bytes.substr(0, head.size() + across.size()));
    std::string rest(100, '\0');
    EXPECT_EQ(reader.Read(rest.data(), 100), 3);
    EXPECT_EQ(reader.Seek(-bytes.size() - 1, fw::soEnd), -1);
    EXPECT_EQ(reader.Seek(5, fw::soBeginning), 5);
    char c = 0;
    ASSERT_EQ(reader.Read(&c, 1), 1);
    EXPECT_EQ(c, bytes[5]);
    EXPECT_EQ(message_of([&] { reader.Write("x", 1); }),
              "Cannot write to an UTF stream opened for reading");

    TxdStringStream target("");
    {
        TxdBufferedWriteStream writer(&target);
        for (size_t at = 0; at < bytes.size(); at += 1000)
            writer.Write(bytes.data() + at,
                         static_cast<int32_t>(std::min<size_t>(1000, bytes.size() - at)));
        EXPECT_EQ(writer.Size(), static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(message_of([&] { writer.Seek(0, fw::soBeginning); }),
                  "Cannot perform seek on codec stream");
        EXPECT_EQ(message_of([&] { writer.Read(&c, 1); }),
                  "Cannot read from a conversion stream opened for writing");
    }
    EXPECT_EQ(target.DataString(), bytes);
}

TEST(XmlBufferedStreams, AShortWriteIsAnError)
{
    // A stream that takes nothing: the flush says so instead of losing the bytes quietly.
    class FullStream : public fw::TStream {
    public:
        int32_t Read(void*, int32_t) override { return 0; }
        int32_t Write(const void*, int32_t) override { return 0; }
        int64_t Seek(int64_t, fw::TSeekOrigin) override { return 0; }
    } full;
    TxdBufferedWriteStream writer(&full);
    writer.Write("abc", 3);
    EXPECT_EQ(message_of([&] { writer.FlushBuffer(); }), "Cannot write to output stream");
}

TEST(XmlParserCompanions, SurplusStringStreamAndBuilder)
{
    TxdStringStream source(" \t\r\nxy");
    TxdSurplusReader reader(&source);
    reader.SetSurplus("ab");
    char c = 0;
    ASSERT_TRUE(reader.ReadChar(c));
    EXPECT_EQ(c, 'a');
    ASSERT_TRUE(reader.ReadCharSkipBlanks(c));
    EXPECT_EQ(c, 'b');
    ASSERT_TRUE(reader.ReadCharSkipBlanks(c));
    EXPECT_EQ(c, 'x');
    source.SetPosition(0);
    EXPECT_EQ(source.DataString(), " \t\r\nxy");

    TxdStringBuilder builder;
    builder.AddString("abcde");
    EXPECT_EQ(builder.StringCopy(3, 100), "cde");
    EXPECT_EQ(builder.StringCopy(9, 1), "");
    for (int i = 0; i < 200; ++i)
        builder.AddChar('z');
    EXPECT_EQ(builder.Length(), 205);
    EXPECT_EQ(builder.GetChar(205), 'z');
    EXPECT_EQ(builder.GetChar(206), '\0');
    builder.Clear();
    builder.AddString("q");
    EXPECT_EQ(builder.Value(), "q");
}

TEST(XmlCodecStream, StepsBackInsideACharacterOfSeveralBytes)
{
    // 8-bit text on a UTF-8 side: "\xFF" arrives as two bytes. A reader that takes one
    // byte and steps back one gets the second byte next, not the first again.
    TxdStringStream source("<?xm\xFFz");
    TxdUtf8Stream codec(&source);
    std::string seen;
    char c = 0;
    for (int i = 0; i < 4; ++i)
        codec.Read(&c, 1);
    codec.Read(&c, 1);
    seen.push_back(c);
    codec.Read(&c, 1);
    codec.Seek(-1, fw::soCurrent);
    codec.Read(&c, 1);
    seen.push_back(c);
    codec.Read(&c, 1);
    seen.push_back(c);
    EXPECT_EQ(seen, "\xC3\xBFz");

    // A DOCTYPE subset with such characters ends instead of reading one for ever.
    vistrel::TXmlDocument document;
    document.SetUtf8Encoded(true);
    TxdStringStream bytes("<!DOCTYPE r [\xFF\xFE]><r/>");
    document.LoadFromStream(&bytes);
    EXPECT_EQ(document.Root()->Name(), "r");
}
