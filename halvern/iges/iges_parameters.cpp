// IGES parameter text: the growable text buffers, the readers of integers, reals and
// Hollerith strings, directory fields, and the application of transformation
// matrices.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "iges/iges_internal.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

namespace halvern::iges {

// ---- Text buffers -----------------------------------------------------------------------

TextBuffer::~TextBuffer()
{
    FreeVec(m_data);
}

bool TextBuffer::allocate(uint32_t capacity) noexcept
{
    auto* block = static_cast<char*>(AllocVec(capacity));
    if (block == nullptr)
        return false;
    FreeVec(m_data);
    m_data = block;
    m_capacity = capacity;
    m_data[0] = '\0';
    return true;
}

bool TextBuffer::reserve(size_t length) noexcept
{
    if (m_data != nullptr && length < m_capacity)
        return true;
    const size_t wanted = std::max(m_capacity + kTextStep, length + kTextStep);
    if (wanted > UINT32_MAX)
        return false;
    auto* block = static_cast<char*>(AllocVec(static_cast<uint32_t>(wanted)));
    if (block == nullptr)
        return false;
    if (m_data != nullptr)
        std::memcpy(block, m_data, m_capacity);
    else
        block[0] = '\0';
    FreeVec(m_data);
    m_data = block;
    m_capacity = wanted;
    return true;
}

// ---- Parameter readers ------------------------------------------------------------------

namespace {

bool ends_parameter(char c, char parameter_delimiter, char record_delimiter)
{
    return c == '\0' || c == parameter_delimiter || c == record_delimiter;
}

// From inside a value: past the next parameter delimiter and the blanks after it; a
// record delimiter stops the walk and stays.
char* next_parameter(char* position, char parameter_delimiter, char record_delimiter)
{
    while (!ends_parameter(*position, parameter_delimiter, record_delimiter))
        ++position;
    if (*position != '\0' && *position == parameter_delimiter) {
        ++position;
        while (*position == ' ')
            ++position;
    }
    return position;
}

// The common start of every reader: true when a value stands at position; else
// position has been moved as an absent or omitted parameter moves it.
bool has_value(char*& position, char parameter_delimiter, char record_delimiter)
{
    if (*position == '\0' || *position == record_delimiter)
        return false;
    if (*position == parameter_delimiter) {
        ++position;
        return false;
    }
    return true;
}

}

char* IGESReadInt(char* position, int32_t* value, char parameter_delimiter,
                  char record_delimiter) noexcept
{
    if (!has_value(position, parameter_delimiter, record_delimiter))
        return position;
    *value = StrToLong(position, nullptr, 0);
    return next_parameter(position, parameter_delimiter, record_delimiter);
}

char* IGESReadReal(char* position, double* value, char parameter_delimiter,
                   char record_delimiter) noexcept
{
    if (!has_value(position, parameter_delimiter, record_delimiter))
        return position;
    for (char* c = position; !ends_parameter(*c, parameter_delimiter, record_delimiter); ++c) {
        if (std::toupper(static_cast<unsigned char>(*c)) == 'D')
            *c = 'E';
    }
    *value = StrToDouble(position, nullptr);
    return next_parameter(position, parameter_delimiter, record_delimiter);
}

char* IGESReadString(char* position, char* value, char parameter_delimiter,
                     char record_delimiter) noexcept
{
    if (!has_value(position, parameter_delimiter, record_delimiter))
        return position;
    const int32_t count = StrToLong(position, nullptr, 0);
    char* marker = std::strchr(position, 'H');
    if (marker == nullptr) {
        // Without a string marker nothing after this point can be read in step.
        *position = record_delimiter;
        return position;
    }
    const char* text = marker + 1;
    size_t length = 0;
    while (count > 0 && length < static_cast<size_t>(count) && text[length] != '\0')
        ++length;
    // A string longer than the buffer is cut, but the reading goes on behind its last
    // character, so the following parameters stay in step.
    const size_t kept = std::min(length, kStringCapacity - 1);
    std::memcpy(value, text, kept);
    value[kept] = '\0';
    StrStrip(value, 'B');
    return next_parameter(marker + 1 + length, parameter_delimiter, record_delimiter);
}

int32_t IGESDirectoryField(const char* line, int32_t offset) noexcept
{
    constexpr size_t kFieldWidth = 8;
    char field[kFieldWidth + 1] = {};
    if (line == nullptr || offset < 0 || static_cast<size_t>(offset) > std::strlen(line))
        return 0;
    std::strncpy(field, line + offset, kFieldWidth);
    return StrToLong(field, nullptr, 10);
}

int32_t Parameters::integer(int32_t preset) noexcept
{
    int32_t value = preset;
    m_position = IGESReadInt(m_position, &value, m_parameter_delimiter, m_record_delimiter);
    return value;
}

double Parameters::real(double preset) noexcept
{
    double value = preset;
    m_position = IGESReadReal(m_position, &value, m_parameter_delimiter, m_record_delimiter);
    return value;
}

void Parameters::string(char* value) noexcept
{
    m_position = IGESReadString(m_position, value, m_parameter_delimiter, m_record_delimiter);
}

bool Parameters::can_hold(int64_t count) const noexcept
{
    return count >= 0 && static_cast<uint64_t>(count) <= std::strlen(m_position);
}

// ---- Transformation matrix ----------------------------------------------------------------

bool is_applied(const Matrix& matrix) noexcept
{
    // A matrix that tilts the z axis into the plane cannot be shown in x and y.
    constexpr double kTiltLimit = 0.001;
    return matrix.present && matrix.r[0][2] > -kTiltLimit && matrix.r[0][2] < kTiltLimit &&
           matrix.r[1][2] > -kTiltLimit && matrix.r[1][2] < kTiltLimit;
}

void IGESApplyMatrix(const Matrix& matrix, Point3DRec& point) noexcept
{
    if (!is_applied(matrix))
        return;
    const double x = point.x;
    const double y = point.y;
    const double z = point.z;
    const auto& r = matrix.r;
    point.x = r[0][0] * x + r[0][1] * y + r[0][2] * z + r[0][3];
    point.y = r[1][0] * x + r[1][1] * y + r[1][2] * z + r[1][3];
    point.z = r[2][0] * x + r[2][1] * y + r[2][2] * z + r[2][3];
}

}
