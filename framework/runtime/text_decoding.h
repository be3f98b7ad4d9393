// Text files of unknown encoding to UTF-16: the reports and settings files that other
// programs write.
#ifndef FRAMEWORK_RUNTIME_TEXT_DECODING_H
#define FRAMEWORK_RUNTIME_TEXT_DECODING_H

#include <QtCore/QString>

#include <cstddef>
#include <span>

namespace fw::detail {

enum class TextEncoding {
    Utf8Bom,
    Utf16LE,
    Utf16BE,
    Utf8,
    Windows1252
};

// After a byte-order mark: UTF-8, UTF-16 LE or BE. Without one: UTF-8 when every
// sequence is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF), else Windows-1252.
TextEncoding detect_encoding(std::span<const std::byte> bytes);

// Whether the bytes are well-formed UTF-8.
bool is_valid_utf8(std::span<const std::byte> bytes);

// The text of the bytes in the encoding that detect_encoding finds, without the mark.
// A last odd byte of UTF-16 is dropped; unpaired surrogates stay as they are. The five
// bytes that Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) become the control
// characters of the same number, as Windows converts them.
QString decode_text(std::span<const std::byte> bytes);

}

#endif
