// The streams between the XML parser and writer (one 8-bit character at a time) and the
// bytes of a file: a codec stream that finds or writes the external encoding and turns
// each character into the document's 8-bit text (Windows-1252 or UTF-8) or back, a
// buffered stream of 64 KiB pages in front of the caller's stream, and the parser's
// small companions: a reader with push-back, a stream over a string, a string builder.
#ifndef VISTREL_XML_XML_STREAMS_H
#define VISTREL_XML_XML_STREAMS_H

#include <framework/classes.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vistrel {

enum TStringEncodingType {
    se8Bit,
    seUCS4BE,
    seUCS4LE,
    seUCS4_2143,
    seUCS4_3412,
    se16BitBE,
    se16BitLE,
    seUTF8,
    seUTF16BE,
    seUTF16LE,
    seEBCDIC
};

enum TxdStreamModeType {
    umUnknown,
    umRead,
    umWrite
};

// Count bytes from buffer + offset to the stream; the count it accepted.
int32_t StreamWrite(fw::TStream* stream, const void* buffer, int32_t offset, int32_t count);

// The codec stream. Its first Read finds the encoding by the byte-order mark or the
// first bytes of "<?xm"; its first Write writes the mark of the chosen encoding (UTF-8
// and UTF-16 have one, 8-bit and plain 16-bit text none). Reads deliver one character
// at a time, the zero character at the end of the data. Only the moves the parser and
// the writer need are allowed: asking the position or the size, and stepping back over
// the last one or two characters read. Errors are EStreamError.
class TxdCodecStream : public fw::TStream {
public:
    // The stream is not owned.
    explicit TxdCodecStream(fw::TStream* stream);

    // Count must be 1: one character of the text side into buffer; 0 for the zero
    // character.
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, fw::TSeekOrigin origin) override;

    TStringEncodingType Encoding() const { return m_encoding; }
    void SetEncoding(TStringEncodingType encoding) { m_encoding = encoding; }
    TxdStreamModeType Mode() const { return m_mode; }
    bool WarningUnicodeLoss() const { return m_warning_unicode_loss; }

    // Raised, with this stream as the sender, the first time a character read does not
    // fit the 8-bit text side.
    fw::TNotifyEvent OnUnicodeLoss;

protected:
    // The size of the stream below.
    int64_t GetSize() override;
    // One character of the text side; the zero character at the end of the data.
    virtual char ReadByte();
    // Remembers where the character about to be read starts, for a step back.
    virtual void StorePrevPositions();
    virtual void WriteByte(char c);
    virtual void WriteBytes(const char* buffer, int32_t offset, int32_t count);

    // Helpers of the two text sides.
    // One byte of the source; false at its end.
    bool ReadSourceByte(unsigned char& byte);
    // One 16-bit unit in the stream's byte order; false at the end.
    bool ReadSourceUnit(char16_t& unit);
    void StepSourceBack(int64_t bytes);
    void WriteSource(const void* bytes, int32_t count);
    void WriteSourceUnit(char16_t unit);
    bool IsSixteenBit() const;
    void NoteUnicodeLoss();
    [[noreturn]] static void RaiseUnsupported();

    // The UTF-8 bytes of the current source character still to deliver.
    std::string m_buffer;
    size_t m_buffer_pos = 0;

private:
    void StartReading();
    void StartWriting();

    TStringEncodingType m_encoding = se8Bit;
    TxdStreamModeType m_mode = umUnknown;
    int64_t m_pos_min1 = 0;
    int64_t m_pos_min2 = 0;
    fw::TStream* m_stream;
    bool m_swap_byte_order = false;
    bool m_warning_unicode_loss = false;
    bool m_write_bom = false;
};

// Text side in the system code page (Windows-1252). UTF-8 bytes pass unchanged (the
// document then marks itself as holding UTF-8); a character the code page lacks reads
// as "?".
class TxdAnsiStream : public TxdCodecStream {
public:
    using TxdCodecStream::TxdCodecStream;

protected:
    char ReadByte() override;
    void WriteByte(char c) override;
    void WriteBytes(const char* buffer, int32_t offset, int32_t count) override;
};

// Text side in UTF-8: every source character is delivered as its UTF-8 bytes.
class TxdUtf8Stream : public TxdCodecStream {
public:
    using TxdCodecStream::TxdCodecStream;

protected:
    char ReadByte() override;
    void WriteByte(char c) override;
    void WriteBytes(const char* buffer, int32_t offset, int32_t count) override;

private:
    void WriteSequence();
    // Bytes of an unfinished UTF-8 sequence written so far.
    std::string m_pending;
};

constexpr int32_t kXmlBufferSize = 65536;

// Reads the underlying stream in 64 KiB pages. Writing fails.
class TxdBufferedReadStream : public fw::TStream {
public:
    explicit TxdBufferedReadStream(fw::TStream* stream, bool owned = false);
    ~TxdBufferedReadStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    // Any move within the stream; a position before its start is refused (-1).
    int64_t Seek(int64_t offset, fw::TSeekOrigin origin) override;

private:
    void UpdateBuffer();

    fw::TStream* m_stream;
    std::unique_ptr<unsigned char[]> m_buffer;
    int64_t m_page = -1;
    int32_t m_buf_pos = 0;
    int32_t m_buf_size = 0;
    int64_t m_position = 0;
    bool m_owned;
    bool m_must_check = true;
};

// Collects writes in 64 KiB and passes them on a buffer at a time. Reading fails; only
// the seeks that do not move are allowed. FlushBuffer raises EStreamError "Cannot write
// to output stream" when the underlying stream takes fewer bytes; the destructor's
// last flush cannot report, so a caller that cares flushes first.
class TxdBufferedWriteStream : public fw::TStream {
public:
    explicit TxdBufferedWriteStream(fw::TStream* stream, bool owned = false);
    ~TxdBufferedWriteStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, fw::TSeekOrigin origin) override;
    void FlushBuffer();

private:
    fw::TStream* m_stream;
    std::unique_ptr<unsigned char[]> m_buffer;
    int32_t m_buf_pos = 0;
    int64_t m_position = 0;
    bool m_owned;
};

// Characters to deliver again before the stream's next ones.
class TxdSurplusReader : public fw::TObject {
public:
    explicit TxdSurplusReader(fw::TStream* stream) : m_stream(stream) {}

    bool ReadChar(char& c);
    // The next character that is no tab, line feed, carriage return or blank.
    bool ReadCharSkipBlanks(char& c);

    const std::string& Surplus() const { return m_surplus; }
    void SetSurplus(std::string surplus) { m_surplus = std::move(surplus); }

private:
    fw::TStream* m_stream;
    std::string m_surplus;
};

// A memory stream holding the bytes of a string, positioned at its start.
class TxdStringStream : public fw::TMemoryStream {
public:
    explicit TxdStringStream(std::string_view text);

    std::string DataString();
};

// A growing string: capacity doubles from 64 characters. Indices are 1-based.
class TxdStringBuilder : public fw::TObject {
public:
    TxdStringBuilder() : m_data(64, '\0') {}

    void Clear() { m_current_idx = 0; }
    void AddChar(char c);
    void AddString(std::string_view text);
    // The characters from position first (1-based), at most length of them.
    std::string StringCopy(int first, int length) const;
    std::string Value() const { return m_data.substr(0, m_current_idx); }
    // The zero character for an index outside 1 .. Length.
    char GetChar(int index) const
    {
        return index >= 1 && static_cast<size_t>(index) <= m_current_idx
                   ? m_data[static_cast<size_t>(index - 1)]
                   : '\0';
    }
    int Length() const { return static_cast<int>(m_current_idx); }

private:
    void Reallocate(size_t required);

    std::string m_data;
    size_t m_current_idx = 0;
};

}

#endif
