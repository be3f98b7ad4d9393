// Numbers of DXF group values, read the way every user of a group reads them, only
// faster: the text of a value goes through Osmark's StrToDouble and StrToLong (base
// 10), and a real of a binary file reaches its users as the text "%15.15lf" makes of
// it. These functions give exactly the values those calls give, without the calls on
// the common forms (and with them on every other form).
#ifndef HALVERN_MODEL_DXF_GROUP_READER_NUMBERS_H
#define HALVERN_MODEL_DXF_GROUP_READER_NUMBERS_H

#include <cstddef>
#include <cstdint>

namespace halvern {

// StrToDouble(text, NULL) of the text held in the first length bytes of text (the text
// ends at a NUL among them, as a C string would). The bytes need no terminator.
double DXFTextReal(const char* text, size_t length) noexcept;

// StrToLong(text, NULL, 10) of the text held in the first length bytes, as above.
int32_t DXFTextInteger(const char* text, size_t length) noexcept;

// StrToDouble of the text that SPrintf("%15.15lf", value) makes: the value a real of a
// binary file has for its users (fifteen decimals, as Osmark's formatter rounds them).
double DXFBinaryRealValue(double value) noexcept;

}

#endif
