// The IGES reader: records, the start, global, directory, parameter and terminate
// sections, and the converting pass over the directory entries.
//
// The file is read three times through one buffered stream: the start and global
// sections, then (from the first record after the global section) the storing of
// every directory and parameter record, then the converting pass over the directory
// entries, which reaches any entry by its pointer in the stored records.

#include "iges/iges_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "iges/iges_internal.h"
#include "model/make_error.h"
#include "model/read_stream.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/paged_array.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

using iges::kDataColumns;
using iges::kParameterColumns;
using iges::kRecordLength;

// The pool that a reader creates for a drawing that has none.
constexpr uint32_t kPoolPuddle = 0x4000;
constexpr uint32_t kPoolThreshold = 0x4000;
// The read buffer: as large as memory allows between these sizes.
constexpr double kInchToMillimetre = 25.4;
constexpr double kMillimetreToInch = 0.03937007874015748;
// Inch files have unit flag 1, millimetre files 2.
constexpr int32_t kUnitFlagInch = 1;
constexpr int32_t kUnitFlagMillimetre = 2;

// Work units allowed per stored record, and for any file: far more than a
// well-formed file needs, where every entry converts a few times at most.
constexpr uint64_t kWorkPerRecord = 64;
constexpr uint64_t kWorkBase = 65536;


using osmark::PagedArrayOwner;

// One record: columns 1-72 NUL-terminated in text, the section letter and the
// sequence number.
struct Record {
    char text[kRecordLength + 1];
    int32_t letter;
    int32_t sequence;
};

// Reads the next record of exactly 80 bytes, skipping the CR and LF bytes after it.
// A record that holds a NUL byte is skipped. 0, or -1 at the end of the file (then
// letter and sequence 0 and an empty text).
int32_t IGESReadRecord(FileHandle* stream, Record& record)
{
    for (;;) {
        if (Read(stream, record.text, static_cast<int32_t>(kRecordLength)) !=
            static_cast<int32_t>(kRecordLength)) {
            record.text[0] = '\0';
            record.letter = 0;
            record.sequence = 0;
            return -1;
        }
        int32_t next = FGetc(stream);
        while (next == '\r' || next == '\n')
            next = FGetc(stream);
        if (next != -1)
            UnGetc(stream, next);
        record.text[kRecordLength] = '\0';
        if (std::strlen(record.text) != kRecordLength)
            continue;
        record.letter = static_cast<signed char>(record.text[kDataColumns]);
        record.sequence = StrToLong(record.text + kDataColumns + 1, nullptr, 0);
        record.text[kDataColumns] = '\0';
        return 0;
    }
}

// Reads the next record; false at the end of the file.
bool next_record(FileHandle* stream, Record& record)
{
    return IGESReadRecord(stream, record) == 0;
}

// The delimiters and the unit flag from the global text.
void read_global_parameters(iges::Reader& reader, char* text, int32_t units)
{
    const size_t length = std::strlen(text);
    const auto at = [&](size_t index) { return index < length ? text[index] : '\0'; };
    size_t start = 0;
    if (at(0) == ',') {
        if (at(1) == '1') {
            if (at(3) != '\0')
                reader.record_delimiter = at(3);
            start = 5;
        } else {
            start = 2;
        }
    } else {
        if (at(2) != '\0')
            reader.parameter_delimiter = at(2);
        if (at(4) == reader.parameter_delimiter) {
            start = 5;
        } else {
            if (at(6) != '\0')
                reader.record_delimiter = at(6);
            start = 8;
        }
    }
    iges::Parameters parameters(text + std::min(start, length), reader.parameter_delimiter,
                                reader.record_delimiter);
    char string[iges::kStringCapacity];
    // Parameters 3 to 13: sender and file names, system and preprocessor, number
    // sizes, receiver name and model scale; only the unit flag (14) is used.
    for (int i = 3; i <= 6; ++i)
        parameters.string(string);
    for (int i = 7; i <= 11; ++i)
        parameters.integer(0);
    parameters.string(string);
    parameters.real();
    const int32_t unit_flag = parameters.integer(0);
    if (units == IGESUnitsInchToMm && unit_flag == kUnitFlagInch)
        reader.unit_factor = kInchToMillimetre;
    else if (units == IGESUnitsMmToInch && unit_flag == kUnitFlagMillimetre)
        reader.unit_factor = kMillimetreToInch;
}

// Start and global sections. On success the global text is in global and position
// holds the file position of the first record after the global section.
int32_t read_head(FileHandle* stream, iges::TextBuffer& global, int32_t& position)
{
    Record record{};
    if (!next_record(stream, record))
        return make_error(IoErrObjectInvalid);
    if (record.letter == 'B' || record.letter == 'C')
        return make_error(IoErrNotImplemented);
    while (record.letter == 'S') {
        if (!next_record(stream, record))
            return make_error(IoErrObjectInvalid);
    }
    if (record.letter != 'G')
        return make_error(IoErrObjectInvalid);
    size_t length = 0;
    while (record.letter == 'G') {
        const size_t columns = std::strlen(record.text);
        if (!global.reserve(length + columns))
            return make_error(IoErrNoMemory);
        std::memcpy(global.data() + length, record.text, columns);
        length += columns;
        global.data()[length] = '\0';
        position = Seek(stream, 0, 1);
        if (position < 0)
            return make_error(IoErrBadIO);
        if (!next_record(stream, record))
            return make_error(IoErrObjectInvalid);
    }
    return 0;
}

// Stores every D and P record up to the terminate record, whose counts it takes.
int32_t store_records(FileHandle* stream, iges::Reader& reader)
{
    Record record{};
    if (!next_record(stream, record))
        return make_error(IoErrObjectInvalid);
    while (record.letter == 'D') {
        if (PagedArrayAdd(reader.directory, record.text) < 0)
            return make_error(IoErrNoMemory);
        if (!next_record(stream, record))
            return make_error(IoErrObjectInvalid);
    }
    while (record.letter == 'P') {
        record.text[kParameterColumns] = '\0';
        if (PagedArrayAdd(reader.parameters, record.text) < 0)
            return make_error(IoErrNoMemory);
        if (!next_record(stream, record))
            return make_error(IoErrObjectInvalid);
    }
    if (record.letter != 'T')
        return make_error(IoErrObjectInvalid);
    // "S0000001G0000003D0000010P0000012": the D count from column 18 stops at the P.
    reader.directory_count = StrToLong(record.text + 17, nullptr, 10);
    reader.parameter_count = StrToLong(record.text + 25, nullptr, 10);
    return 0;
}

// Converts every directory entry in file order into the drawing's top-level items.
int32_t convert_entries(FileHandle* stream, iges::Reader& reader, iges::TextBuffer& text)
{
    Record line1{};
    Record line2{};
    if (!next_record(stream, line1))
        return make_error(IoErrObjectInvalid);
    int32_t index = 0;
    while (line1.letter == 'D') {
        if (!next_record(stream, line2))
            return make_error(IoErrObjectInvalid);
        iges::Request request;
        request.target = &reader.drawing.dxf_ItemBuffer;
        request.line1 = line1.text;
        request.line2 = line2.text;
        request.index = index;
        if (const int32_t result = iges::IGESConvertEntity(reader, request, text); result != 0)
            return result;
        index += 2;
        if (!next_record(stream, line1))
            return make_error(IoErrObjectInvalid);
    }
    return 0;
}

// INSERTs of subfigures defined later in the file learn their block's index.
void resolve_pending_inserts(iges::Reader& reader)
{
    for (ItemRec* item : reader.pending_inserts) {
        InsertRec& insert = item->it_Insert;
        IsBlockKnown(&reader.drawing.dxf_BlockIdentifierBuffer, insert.in_BlockName,
                     &insert.in_BlockName, &insert.in_BlockIndex);
    }
}

int32_t read_stream(FileHandle* stream, DXFDrawingRec& drawing, int32_t units, int32_t top_level,
                    IGESEntityCallback callback, void* user)
{
    if (drawing.dxf_Pool == nullptr) {
        drawing.dxf_Pool = CreatePool(kPoolPuddle, kPoolThreshold);
        if (drawing.dxf_Pool == nullptr)
            return make_error(IoErrNoMemory);
    }
    iges::TextBuffer text;
    if (!text.allocate(iges::kTextStep))
        return make_error(IoErrNoMemory);
    const PagedArrayOwner directory(PagedArrayCreate(kDataColumns + 1, iges::kRecordsPerPage));
    const PagedArrayOwner parameters(PagedArrayCreate(kParameterColumns + 1, iges::kRecordsPerPage));
    if (directory == nullptr || parameters == nullptr)
        return make_error(IoErrNoMemory);

    iges::Reader reader(drawing);
    reader.directory = directory.get();
    reader.parameters = parameters.get();
    reader.callback = callback;
    reader.user = user;
    reader.top_level = top_level != 0;
    // The chain never grows past the depth limit, so no conversion allocates for it.
    reader.chain.reserve(iges::kMaxDepth + 2);

    int32_t records_start = 0;
    if (const int32_t result = read_head(stream, text, records_start); result != 0)
        return result;
    read_global_parameters(reader, text.data(), units);

    if (Seek(stream, records_start, 0) < 0)
        return make_error(IoErrBadIO);
    if (const int32_t result = store_records(stream, reader); result != 0)
        return result;
    reader.work_left = kWorkBase + kWorkPerRecord * (uint64_t{reader.stored_directory()} +
                                                     reader.stored_parameters());

    if (Seek(stream, records_start, 0) < 0)
        return make_error(IoErrBadIO);
    // The global text block serves the top-level entries as their parameter text.
    const int32_t result = convert_entries(stream, reader, text);
    resolve_pending_inserts(reader);
    return result;
}

}

int32_t ReadIGESStream(FileHandle* stream, DXFDrawingRec* drawing, int32_t units,
                                            int32_t topLevel, IGESEntityCallback callback,
                                            void* user) noexcept
{
    if (stream == nullptr || drawing == nullptr)
        return make_error(IoErrRequiredArgMissing);
    try {
        return read_stream(stream, *drawing, units, topLevel, callback, user);
    } catch (const std::bad_alloc&) {
        return make_error(IoErrNoMemory);
    } catch (...) {
        return make_error(IoErrNoMemory);
    }
}

}

extern "C" {

HALVERN_API int32_t ReadIGESFull(const char* path, DXFDrawingRec* drawing, int32_t units,
                                 int32_t topLevel, IGESEntityCallback callback, void* user) noexcept
{
    if (path == nullptr || drawing == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    const halvern::ReadStream stream = halvern::ReadStream::open(path);
    if (!stream.is_open())
        return halvern::make_error(IoErrObjectNotFound);
    return halvern::ReadIGESStream(stream.get(), drawing, units, topLevel, callback, user);
}

HALVERN_API int32_t ReadIGES(const char* path, DXFDrawingRec* drawing) noexcept
{
    return ReadIGESFull(path, drawing, IGESUnitsAsRead, 1, nullptr, nullptr);
}

HALVERN_API int32_t ReadIGESUnits(const char* path, DXFDrawingRec* drawing, int32_t units) noexcept
{
    return ReadIGESFull(path, drawing, units, 1, nullptr, nullptr);
}

}
