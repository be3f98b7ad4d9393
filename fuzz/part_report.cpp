// Fuzz target of the part reports (".gr"): any bytes as the report's text, decoded as
// the viewer decodes a report file, read into a catalogue entry.

#include "units/part_report.h"

#include <cstddef>
#include <cstdint>
#include <limits>

#include "framework/classes.h"
#include "units/vector_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return 0;
    fw::TMemoryStream stream;
    stream.Write(data, static_cast<int32_t>(size));
    stream.SetPosition(0);
    fw::TStringList lines;
    lines.LoadFromStream(&stream);
    vistrel::catalogue::TVectorFile file;
    vistrel::catalogue::ReadPartReport(lines, file);
    return 0;
}
