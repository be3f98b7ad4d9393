// Osmark's own conversion of a real for the formatter: digits built from the value
// with a fixed tolerance of 1e-6 at every split into integer and fraction, so that a
// fraction that lies within 1e-6 below the point where a digit goes up raises it.
#ifndef OSMARK_CORE_REAL_FORMAT_H
#define OSMARK_CORE_REAL_FORMAT_H

#include <array>
#include <cstddef>

namespace osmark {

// The largest precision a real is converted with; more becomes owed zeros.
constexpr int kMaxRealPrecision = 39;

// Room for the worst case: 309 integer digits of the largest double, a carry digit
// in front, the point, kMaxRealPrecision digits and an exponent such as "e-324".
constexpr size_t kRealTextCapacity = 384;

struct RealText {
    std::array<char, kRealTextCapacity> characters{};
    size_t length = 0;
    // Where zeros owed beyond kMaxRealPrecision belong: before the exponent, or at
    // the end when there is none.
    size_t owed_zeros_at = 0;
    // The value was below zero and the text is not all zeros: print a minus sign.
    bool negative = false;
};

// Converts value with letter e, E, f, g or G; precision is 0 to kMaxRealPrecision.
// An infinite value or one that is not a number gives the letters "inf" as its
// integer digits (in the e style too).
RealText format_real(double value, int precision, bool alternate, char letter);

}

#endif
