// What one load adds to a drawing, taken back when the load fails: the items appended
// to either buffer, the block identifiers and layers appended, the changes that
// re-registered blocks made to existing identifiers, the last item id and a pool made
// for the load. A drawing that already held a part keeps it as it was.
#ifndef TRENNIC_GEOMETRY_DRAWING_TRANSACTION_H
#define TRENNIC_GEOMETRY_DRAWING_TRANSACTION_H

#include <cstdint>
#include <vector>

#include "halvern/drawing.h"

namespace trennic {

class DrawingTransaction {
public:
    // Notes the drawing as it is (may throw std::bad_alloc, before anything changed).
    explicit DrawingTransaction(DXFDrawingRec& drawing);
    ~DrawingTransaction();
    DrawingTransaction(const DrawingTransaction&) = delete;
    DrawingTransaction& operator=(const DrawingTransaction&) = delete;

    // Gives the drawing a pool when it has none; 0 or -1.
    int32_t make_pool();
    // Keeps every change.
    void commit() { m_committed = true; }

private:
    struct IdentifierState {
        int32_t block_data;
        uint32_t flags;
    };

    void roll_back() noexcept;

    DXFDrawingRec& m_drawing;
    int32_t m_items;
    int32_t m_block_items;
    int32_t m_layers;
    uint32_t m_last_id;
    std::vector<IdentifierState> m_identifiers;
    bool m_made_pool = false;
    bool m_committed = false;
};

}

#endif
