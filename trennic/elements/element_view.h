// Bounded reading of one element record: every field read lies inside the length that
// the record's head gives, and names and texts end at their field and at the record's
// end.
#ifndef TRENNIC_ELEMENTS_ELEMENT_VIEW_H
#define TRENNIC_ELEMENTS_ELEMENT_VIEW_H

#include <cassert>
#include <cstdint>
#include <span>
#include <string_view>

#include "elements/element_layout.h"
#include "library/byte_reader.h"
#include "trennic/elements.h"

namespace trennic {

class ElementView {
public:
    // A view of the record, or of nothing (is_complete() false) for a NULL record or a
    // length word outside 5 to 1024.
    explicit ElementView(const QXElementRec* record)
    {
        if (record == nullptr)
            return;
        const uint32_t length = load_u32(record->qe_Bytes);
        if (length < element::kMinLength || length > element::kMaxLength)
            return;
        m_bytes = record->qe_Bytes;
        m_length = length;
    }

    uint32_t length() const { return m_length; }

    // Whether the record holds its head and every fixed field of its kind.
    bool is_complete() const
    {
        return m_length >= element::kHeadLength && m_length >= element::min_length(kind());
    }

    // Head fields; only for a record that holds its head.
    int32_t kind() const
    {
        return m_length >= element::kHeadLength ? i32(element::kKindOffset) : 0;
    }
    uint32_t colour_code() const { return u32(element::kColourOffset); }
    uint32_t line_type_code() const { return u32(element::kLineTypeOffset); }
    uint32_t layer_id() const { return u32(element::kLayerOffset); }
    uint32_t flags() const { return u32(element::kFlagsOffset); }

    uint32_t u32(size_t offset) const
    {
        assert(offset + 4 <= m_length);
        return load_u32(m_bytes + offset);
    }
    int32_t i32(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
    double f64(size_t offset) const
    {
        assert(offset + 8 <= m_length);
        return load_f64(m_bytes + offset);
    }

    // The NUL-terminated text at offset, at most field bytes and never past the record's
    // end; empty when the record ends before offset.
    std::string_view text(size_t offset, size_t field) const
    {
        if (offset >= m_length)
            return {};
        const size_t room = m_length - offset;
        return field_text({m_bytes + offset, field < room ? field : room});
    }

private:
    const uint8_t* m_bytes = nullptr;
    uint32_t m_length = 0;
};

}

#endif
