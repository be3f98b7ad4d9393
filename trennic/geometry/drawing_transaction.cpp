// Taking back what a failed load added to a drawing.

#include "geometry/drawing_transaction.h"

#include "halvern/tables.h"
#include "library/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace trennic {

namespace {

// The pool that the reader makes for a drawing that has none.
constexpr uint32_t kPoolPuddleSize = 0x4000;
constexpr uint32_t kPoolThreshold = 0x4000;

// Returns the items appended since count to the pool and forgets them.
void truncate(ItemBufferRec& buffer, int32_t count, Pool* pool)
{
    for (int32_t i = count; i < buffer.ib_N; ++i)
        FreeVecPooled(pool, buffer.ib_Items[i]);
    if (buffer.ib_N > count)
        buffer.ib_N = count;
}

}

DrawingTransaction::DrawingTransaction(DXFDrawingRec& drawing)
    : m_drawing(drawing), m_items(drawing.dxf_ItemBuffer.ib_N),
      m_block_items(drawing.dxf_BlockItemBuffer.ib_N), m_layers(drawing.dxf_LayerTable.lt_N),
      m_last_id(drawing.dxf_LastID)
{
    const BlockIdentifierBufferRec& blocks = drawing.dxf_BlockIdentifierBuffer;
    m_identifiers.reserve(static_cast<size_t>(blocks.bib_N));
    for (int32_t i = 0; i < blocks.bib_N; ++i)
        m_identifiers.push_back(
            {blocks.bib_Blocks[i]->bi_BlockData, blocks.bib_Blocks[i]->bi_Flags});
}

DrawingTransaction::~DrawingTransaction()
{
    if (!m_committed)
        roll_back();
}

int32_t DrawingTransaction::make_pool()
{
    if (m_drawing.dxf_Pool != nullptr)
        return 0;
    m_drawing.dxf_Pool = CreatePool(kPoolPuddleSize, kPoolThreshold);
    if (m_drawing.dxf_Pool == nullptr)
        return make_error(IoErrNoMemory);
    m_made_pool = true;
    return 0;
}

void DrawingTransaction::roll_back() noexcept
{
    DXFDrawingRec& drawing = m_drawing;
    truncate(drawing.dxf_ItemBuffer, m_items, drawing.dxf_Pool);
    truncate(drawing.dxf_BlockItemBuffer, m_block_items, drawing.dxf_Pool);

    // Table entries are single AllocVec blocks with their names (halvern/tables.h); the
    // ones this load appended own no label.
    BlockIdentifierBufferRec& blocks = drawing.dxf_BlockIdentifierBuffer;
    const auto known = static_cast<int32_t>(m_identifiers.size());
    for (int32_t i = known; i < blocks.bib_N; ++i)
        FreeVec(blocks.bib_Blocks[i]);
    if (blocks.bib_N > known)
        blocks.bib_N = known;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        blocks.bib_Blocks[i]->bi_BlockData = m_identifiers[static_cast<size_t>(i)].block_data;
        blocks.bib_Blocks[i]->bi_Flags = m_identifiers[static_cast<size_t>(i)].flags;
    }
    LayerTableRec& layers = drawing.dxf_LayerTable;
    for (int32_t i = m_layers; i < layers.lt_N; ++i)
        FreeVec(layers.lt_Layers[i]);
    if (layers.lt_N > m_layers)
        layers.lt_N = m_layers;

    drawing.dxf_LastID = m_last_id;
    if (m_made_pool) {
        DeletePool(drawing.dxf_Pool);
        drawing.dxf_Pool = nullptr;
    }
}

}
