#include "xml/xml_streams.h"

#include "xml/xml_encodings.h"

#include <algorithm>
#include <cstring>

namespace vistrel {

namespace {

// The byte-order marks and the first bytes of "<?xm" in each encoding, searched in this
// order.
struct Signature {
    unsigned char bytes[4];
    int length;
    TStringEncodingType encoding;
    bool mark;
};

constexpr Signature kSignatures[15] = {
    {{0x00, 0x00, 0xFE, 0xFF}, 4, seUCS4BE, true},
    {{0xFF, 0xFE, 0x00, 0x00}, 4, seUCS4LE, true},
    {{0x00, 0x00, 0xFF, 0xFE}, 4, seUCS4_2143, true},
    {{0xFE, 0xFF, 0x00, 0x00}, 4, seUCS4_3412, true},
    {{0xFE, 0xFF}, 2, seUTF16BE, true},
    {{0xFF, 0xFE}, 2, seUTF16LE, true},
    {{0xEF, 0xBB, 0xBF}, 3, seUTF8, true},
    {{0x00, 0x00, 0x00, 0x3C}, 4, seUCS4BE, false},
    {{0x3C, 0x00, 0x00, 0x00}, 4, seUCS4LE, false},
    {{0x00, 0x00, 0x3C, 0x00}, 4, seUCS4_2143, false},
    {{0x00, 0x3C, 0x00, 0x00}, 4, seUCS4_3412, false},
    {{0x00, 0x3C, 0x00, 0x3F}, 4, seUTF16BE, false},
    {{0x3C, 0x00, 0x3F, 0x00}, 4, seUTF16LE, false},
    {{0x3C, 0x3F, 0x78, 0x6D}, 4, se8Bit, false},
    {{0x4C, 0x6F, 0xA7, 0x94}, 4, seEBCDIC, false},
};

bool is_refused(TStringEncodingType encoding)
{
    return encoding == seUCS4BE || encoding == seUCS4_2143 || encoding == seUCS4_3412 ||
           encoding == seEBCDIC;
}

[[noreturn]] void raise_stream_error(const char* message)
{
    throw fw::EStreamError(message);
}

// The length of the UTF-8 sequence a lead byte starts; 0 for a byte that starts none.
int utf8_sequence_length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

bool is_continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Whether the bytes are one well-formed UTF-8 character.
bool is_one_utf8_character(const std::string& bytes)
{
    // Malformed bytes decode to one "?" each, which no lead byte of a sequence is.
    const std::u16string units = Utf8ToUnicode(bytes);
    return units.size() == 1 ? units[0] != u'?'
                             : units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF;
}

}

int32_t StreamWrite(fw::TStream* stream, const void* buffer, int32_t offset, int32_t count)
{
    return stream->Write(static_cast<const unsigned char*>(buffer) + offset, count);
}

// ---- Codec stream ---------------------------------------------------------------------

TxdCodecStream::TxdCodecStream(fw::TStream* stream) : m_stream(stream)
{
}

void TxdCodecStream::StartReading()
{
    m_mode = umRead;
    if (m_stream == nullptr)
        raise_stream_error("Encoding stream unassigned");
    m_encoding = se8Bit;
    unsigned char head[4] = {};
    const int read = std::max(0, m_stream->Read(head, 4));
    const Signature* found = nullptr;
    for (const Signature& row : kSignatures) {
        if (std::memcmp(row.bytes, head, static_cast<size_t>(std::min(read, row.length))) == 0) {
            found = &row;
            break;
        }
    }
    m_write_bom = found != nullptr && found->mark;
    if (found != nullptr)
        m_encoding = found->encoding;
    if (is_refused(m_encoding))
        RaiseUnsupported();
    m_stream->Seek(m_write_bom ? found->length - read : -read, fw::soCurrent);
    m_swap_byte_order = m_encoding == se16BitBE || m_encoding == seUTF16BE;
}

void TxdCodecStream::StartWriting()
{
    m_mode = umWrite;
    if (m_stream == nullptr)
        raise_stream_error("Encoding stream unassigned");
    if (is_refused(m_encoding))
        RaiseUnsupported();
    for (const Signature& row : kSignatures) {
        if (row.encoding == m_encoding) {
            m_write_bom = row.mark;
            break;
        }
    }
    if (m_write_bom) {
        const Signature* row =
            std::find_if(std::begin(kSignatures), std::end(kSignatures),
                         [this](const Signature& s) { return s.encoding == m_encoding; });
        WriteSource(row->bytes, row->length);
    }
    m_swap_byte_order = m_encoding == se16BitBE || m_encoding == seUTF16BE;
}

int32_t TxdCodecStream::Read(void* buffer, int32_t count)
{
    if (m_mode == umUnknown)
        StartReading();
    if (m_mode != umRead)
        raise_stream_error("Cannot read from a conversion stream opened for writing");
    if (count != 1)
        raise_stream_error("Cannot read multiple chars from conversion stream at once");
    const char c = ReadByte();
    *static_cast<char*>(buffer) = c;
    return c == '\0' ? 0 : 1;
}

int32_t TxdCodecStream::Write(const void* buffer, int32_t count)
{
    if (m_mode == umUnknown)
        StartWriting();
    if (m_mode != umWrite)
        raise_stream_error("Cannot write to an UTF stream opened for reading");
    WriteBytes(static_cast<const char*>(buffer), 0, count);
    return count;
}

int64_t TxdCodecStream::Seek(int64_t offset, fw::TSeekOrigin origin)
{
    // Where the stream stands and how long it is may be asked before anything was read
    // or written (a document whose first nodes write nothing asks so).
    if (origin == fw::soCurrent && offset == 0)
        return m_stream->Position();
    if (origin == fw::soEnd && offset == 0)
        return m_stream->Size();
    if (m_mode == umUnknown)
        raise_stream_error("Cannot seek before reading or writing in conversion stream");
    if (origin == fw::soCurrent && (offset == -1 || offset == -2) && m_mode == umRead) {
        const size_t back = offset == -1 ? 1 : 2;
        if (m_buffer_pos > back) {
            // Inside a character whose UTF-8 bytes are being delivered: step back over
            // bytes of it. Going back to its start would deliver the same byte again
            // and again to a reader that steps back after each one.
            m_buffer_pos -= back;
            return 0;
        }
        m_buffer.clear();
        m_buffer_pos = 0;
        m_stream->SetPosition(offset == -1 ? m_pos_min1 : m_pos_min2);
        return 0;
    }
    if (origin == fw::soBeginning)
        return 0;
    raise_stream_error("Cannot perform seek on codec stream");
}

int64_t TxdCodecStream::GetSize()
{
    return m_stream->Size();
}

char TxdCodecStream::ReadByte()
{
    return '\0';
}

void TxdCodecStream::StorePrevPositions()
{
    m_pos_min2 = m_pos_min1;
    m_pos_min1 = m_stream->Position();
}

void TxdCodecStream::WriteByte(char)
{
}

void TxdCodecStream::WriteBytes(const char* buffer, int32_t offset, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        WriteByte(buffer[offset + i]);
}

bool TxdCodecStream::ReadSourceByte(unsigned char& byte)
{
    return m_stream->Read(&byte, 1) == 1;
}

bool TxdCodecStream::ReadSourceUnit(char16_t& unit)
{
    unsigned char bytes[2] = {};
    if (m_stream->Read(bytes, 2) != 2)
        return false;
    unit = m_swap_byte_order ? static_cast<char16_t>(bytes[0] << 8 | bytes[1])
                             : static_cast<char16_t>(bytes[1] << 8 | bytes[0]);
    return true;
}

void TxdCodecStream::StepSourceBack(int64_t bytes)
{
    m_stream->Seek(-bytes, fw::soCurrent);
}

void TxdCodecStream::WriteSource(const void* bytes, int32_t count)
{
    if (StreamWrite(m_stream, bytes, 0, count) != count)
        raise_stream_error("Cannot write to output stream");
}

void TxdCodecStream::WriteSourceUnit(char16_t unit)
{
    const unsigned char high = static_cast<unsigned char>(unit >> 8);
    const unsigned char low = static_cast<unsigned char>(unit & 0xFF);
    const unsigned char bytes[2] = {m_swap_byte_order ? high : low, m_swap_byte_order ? low : high};
    WriteSource(bytes, 2);
}

bool TxdCodecStream::IsSixteenBit() const
{
    return m_encoding == se16BitBE || m_encoding == se16BitLE || m_encoding == seUTF16BE ||
           m_encoding == seUTF16LE;
}

void TxdCodecStream::NoteUnicodeLoss()
{
    if (m_warning_unicode_loss)
        return;
    m_warning_unicode_loss = true;
    if (OnUnicodeLoss)
        OnUnicodeLoss(this);
}

void TxdCodecStream::RaiseUnsupported()
{
    raise_stream_error("Unsupported ansistring encoding");
}

// ---- 8-bit text side ------------------------------------------------------------------

char TxdAnsiStream::ReadByte()
{
    const TStringEncodingType encoding = Encoding();
    if (encoding == se8Bit || encoding == seUTF8) {
        StorePrevPositions();
        unsigned char byte = 0;
        return ReadSourceByte(byte) ? static_cast<char>(byte) : '\0';
    }
    if (!IsSixteenBit())
        RaiseUnsupported();
    StorePrevPositions();
    char16_t unit = 0;
    if (!ReadSourceUnit(unit))
        return '\0';
    const char c = UnicodeToAnsiChar(unit);
    if (c == '?' && unit != u'?')
        NoteUnicodeLoss();
    return c;
}

void TxdAnsiStream::WriteByte(char c)
{
    const TStringEncodingType encoding = Encoding();
    if (encoding == se8Bit) {
        WriteSource(&c, 1);
    } else if (IsSixteenBit()) {
        WriteSourceUnit(AnsiCharToUnicode(static_cast<unsigned char>(c)));
    } else if (encoding == seUTF8) {
        const std::string bytes = AnsiToUtf8(std::string_view(&c, 1));
        WriteSource(bytes.data(), static_cast<int32_t>(bytes.size()));
    } else {
        RaiseUnsupported();
    }
}

void TxdAnsiStream::WriteBytes(const char* buffer, int32_t offset, int32_t count)
{
    if (Encoding() == se8Bit)
        WriteSource(buffer + offset, count);
    else
        TxdCodecStream::WriteBytes(buffer, offset, count);
}

// ---- UTF-8 text side ------------------------------------------------------------------

char TxdUtf8Stream::ReadByte()
{
    if (m_buffer_pos < m_buffer.size())
        return m_buffer[m_buffer_pos++];
    m_buffer.clear();
    m_buffer_pos = 0;
    const TStringEncodingType encoding = Encoding();
    if (encoding == se8Bit) {
        StorePrevPositions();
        unsigned char byte = 0;
        if (!ReadSourceByte(byte))
            return '\0';
        m_buffer = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    } else if (encoding == seUTF8) {
        StorePrevPositions();
        unsigned char lead = 0;
        if (!ReadSourceByte(lead))
            return '\0';
        m_buffer.push_back(static_cast<char>(lead));
        const int length = utf8_sequence_length(lead);
        for (int i = 1; i < length; ++i) {
            unsigned char next = 0;
            if (!ReadSourceByte(next))
                break;
            if (!is_continuation(next)) {
                // The next character starts here: leave it to the next read.
                StepSourceBack(1);
                break;
            }
            m_buffer.push_back(static_cast<char>(next));
        }
        if (lead >= 0x80 && !is_one_utf8_character(m_buffer))
            m_buffer = "?";
    } else if (IsSixteenBit()) {
        StorePrevPositions();
        char16_t units[2] = {};
        if (!ReadSourceUnit(units[0]))
            return '\0';
        int count = 1;
        if (units[0] >= 0xD800 && units[0] <= 0xDBFF && ReadSourceUnit(units[1])) {
            if (units[1] >= 0xDC00 && units[1] <= 0xDFFF)
                count = 2;
            else
                StepSourceBack(2); // a lone high surrogate: its neighbour is read next
        }
        m_buffer = UnicodeToUtf8(std::u16string_view(units, static_cast<size_t>(count)));
    } else {
        RaiseUnsupported();
    }
    if (m_buffer.empty())
        return '\0';
    return m_buffer[m_buffer_pos++];
}

void TxdUtf8Stream::WriteSequence()
{
    const TStringEncodingType encoding = Encoding();
    if (encoding == se8Bit) {
        const std::string ansi = Utf8ToAnsi(m_pending);
        WriteSource(ansi.data(), static_cast<int32_t>(ansi.size()));
    } else {
        for (const char16_t unit : Utf8ToUnicode(m_pending))
            WriteSourceUnit(unit);
    }
    m_pending.clear();
}

void TxdUtf8Stream::WriteByte(char c)
{
    const TStringEncodingType encoding = Encoding();
    if (encoding == seUTF8) {
        WriteSource(&c, 1);
        return;
    }
    if (encoding != se8Bit && !IsSixteenBit())
        RaiseUnsupported();
    const auto byte = static_cast<unsigned char>(c);
    if (!m_pending.empty() && !is_continuation(byte)) {
        // The sequence was cut short: what it held becomes "?".
        WriteSequence();
    }
    m_pending.push_back(c);
    const int length = utf8_sequence_length(static_cast<unsigned char>(m_pending[0]));
    if (length == 0 || static_cast<int>(m_pending.size()) >= length)
        WriteSequence();
}

void TxdUtf8Stream::WriteBytes(const char* buffer, int32_t offset, int32_t count)
{
    if (Encoding() == seUTF8)
        WriteSource(buffer + offset, count);
    else
        TxdCodecStream::WriteBytes(buffer, offset, count);
}

// ---- Buffered streams -----------------------------------------------------------------

TxdBufferedReadStream::TxdBufferedReadStream(fw::TStream* stream, bool owned)
    : m_stream(stream), m_buffer(std::make_unique<unsigned char[]>(kXmlBufferSize)), m_owned(owned)
{
}

TxdBufferedReadStream::~TxdBufferedReadStream()
{
    if (m_owned)
        fw::Free(m_stream);
}

void TxdBufferedReadStream::UpdateBuffer()
{
    const int64_t page = m_position / kXmlBufferSize;
    m_buf_pos = static_cast<int32_t>(m_position % kXmlBufferSize);
    if (page != m_page) {
        m_page = page;
        const int64_t available = m_stream->Size() - page * kXmlBufferSize;
        m_buf_size = static_cast<int32_t>(std::clamp<int64_t>(available, 0, kXmlBufferSize));
        m_stream->SetPosition(page * kXmlBufferSize);
        if (m_buf_size > 0)
            m_buf_size = std::max(0, m_stream->Read(m_buffer.get(), m_buf_size));
    }
    m_must_check = false;
}

int32_t TxdBufferedReadStream::Read(void* buffer, int32_t count)
{
    if (m_must_check)
        UpdateBuffer();
    auto* out = static_cast<unsigned char*>(buffer);
    if (count == 1 && m_buf_pos < m_buf_size - 1) {
        *out = m_buffer[static_cast<size_t>(m_buf_pos++)];
        ++m_position;
        return 1;
    }
    int32_t copied = 0;
    while (copied < count) {
        if (m_buf_pos >= m_buf_size) {
            UpdateBuffer();
            if (m_buf_pos >= m_buf_size)
                break; // the end of the data
        }
        const int32_t step = std::min(m_buf_size - m_buf_pos, count - copied);
        std::memcpy(out + copied, m_buffer.get() + m_buf_pos, static_cast<size_t>(step));
        copied += step;
        m_buf_pos += step;
        m_position += step;
    }
    return copied;
}

int32_t TxdBufferedReadStream::Write(const void*, int32_t)
{
    raise_stream_error("Cannot write to an UTF stream opened for reading");
}

int64_t TxdBufferedReadStream::Seek(int64_t offset, fw::TSeekOrigin origin)
{
    int64_t position = m_position;
    switch (origin) {
    case fw::soBeginning:
        position = offset;
        break;
    case fw::soCurrent:
        if (offset == 0)
            return m_position;
        position += offset;
        break;
    case fw::soEnd:
        position = m_stream->Size() + offset;
        break;
    }
    if (position < 0)
        return -1;
    m_position = position;
    m_must_check = true;
    return m_position;
}

TxdBufferedWriteStream::TxdBufferedWriteStream(fw::TStream* stream, bool owned)
    : m_stream(stream), m_buffer(std::make_unique<unsigned char[]>(kXmlBufferSize)), m_owned(owned)
{
}

TxdBufferedWriteStream::~TxdBufferedWriteStream()
{
    try {
        FlushBuffer();
    } catch (const fw::Exception&) {
        // Nobody is left to tell; callers that care flush before freeing.
    }
    if (m_owned)
        fw::Free(m_stream);
}

int32_t TxdBufferedWriteStream::Read(void*, int32_t)
{
    raise_stream_error("Cannot read from a conversion stream opened for writing");
}

int32_t TxdBufferedWriteStream::Write(const void* buffer, int32_t count)
{
    if (count < 1)
        return 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    int32_t taken = 0;
    while (taken < count) {
        const int32_t step = std::min(kXmlBufferSize - m_buf_pos, count - taken);
        std::memcpy(m_buffer.get() + m_buf_pos, in + taken, static_cast<size_t>(step));
        m_buf_pos += step;
        taken += step;
        if (m_buf_pos == kXmlBufferSize)
            FlushBuffer();
    }
    m_position += taken;
    return taken;
}

int64_t TxdBufferedWriteStream::Seek(int64_t offset, fw::TSeekOrigin origin)
{
    const bool stays = (origin == fw::soBeginning && offset == m_position) ||
                       (origin != fw::soBeginning && offset == 0);
    if (!stays)
        raise_stream_error("Cannot perform seek on codec stream");
    return m_position;
}

void TxdBufferedWriteStream::FlushBuffer()
{
    if (m_buf_pos == 0)
        return;
    const int32_t pending = m_buf_pos;
    m_buf_pos = 0;
    if (m_stream->Write(m_buffer.get(), pending) != pending)
        raise_stream_error("Cannot write to output stream");
}

// ---- Parser companions ----------------------------------------------------------------

bool TxdSurplusReader::ReadChar(char& c)
{
    if (!m_surplus.empty()) {
        c = m_surplus.front();
        m_surplus.erase(0, 1);
        return true;
    }
    return m_stream->Read(&c, 1) == 1;
}

bool TxdSurplusReader::ReadCharSkipBlanks(char& c)
{
    while (ReadChar(c)) {
        if (c != '\t' && c != '\n' && c != '\r' && c != ' ')
            return true;
    }
    return false;
}

TxdStringStream::TxdStringStream(std::string_view text)
{
    SetSize(static_cast<int64_t>(text.size()));
    if (!text.empty())
        Write(text.data(), static_cast<int32_t>(text.size()));
    SetPosition(0);
}

std::string TxdStringStream::DataString()
{
    return std::string(static_cast<const char*>(Memory()), static_cast<size_t>(Size()));
}

void TxdStringBuilder::Reallocate(size_t required)
{
    size_t capacity = m_data.size();
    while (capacity < required)
        capacity *= 2;
    m_data.resize(capacity);
}

void TxdStringBuilder::AddChar(char c)
{
    Reallocate(m_current_idx + 1);
    m_data[m_current_idx++] = c;
}

void TxdStringBuilder::AddString(std::string_view text)
{
    if (text.empty())
        return;
    Reallocate(m_current_idx + text.size());
    std::memcpy(m_data.data() + m_current_idx, text.data(), text.size());
    m_current_idx += text.size();
}

std::string TxdStringBuilder::StringCopy(int first, int length) const
{
    if (first < 1 || length < 1 || static_cast<size_t>(first) > m_current_idx)
        return {};
    const size_t start = static_cast<size_t>(first - 1);
    return m_data.substr(start, std::min(static_cast<size_t>(length), m_current_idx - start));
}

}
