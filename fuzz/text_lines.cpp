// Fuzz target of text files of unknown encoding (the part reports): any bytes loaded
// into a string list, which decodes them by their byte-order mark, as UTF-8 or as
// Windows-1252 and splits them into lines.

#include "framework/classes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fw::TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int32_t>(size));
    stream.SetPosition(0);
    fw::TStringList lines;
    lines.LoadFromStream(&stream);
    for (int i = 0; i < lines.Count(); ++i)
        lines.Strings(i).size();
    lines.SetSorted(true);
    return 0;
}
