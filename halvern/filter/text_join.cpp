// Joining of stacked single-line TEXT items into one TEXT, in every block definition
// and among the top-level items.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "filter/filter_passes.h"
#include "geometry/geometry_internal.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

// Texts on these layers (any letter case) mark machining features, not captions.
constexpr const char* kSpecialLayers[] = {"RIVETS", "TABS", "MJOINTS", "LEADINS", "BEND_LINES"};

// One TEXT taking part in a join.
struct JoinRecord {
    bool visited;
    int32_t order; // 0 unassigned, positive below the first text, negative above it
    ItemRec* item;
    Point3DRec point;
    double height;
    double rotation;
};

bool on_special_layer(const DXFDrawingRec& drawing, const ItemRec& item) noexcept
{
    const LayerTableRec& layers = drawing.dxf_LayerTable;
    const int32_t index = item.it_Header.ih_Layer;
    if (index < 0 || index >= layers.lt_N || layers.lt_Layers == nullptr ||
        layers.lt_Layers[index] == nullptr || layers.lt_Layers[index]->ld_Name == nullptr)
        return false;
    for (const char* name : kSpecialLayers) {
        if (StriCmp(layers.lt_Layers[index]->ld_Name, name) == 0)
            return true;
    }
    return false;
}

bool joinable(const DXFDrawingRec& drawing, const ItemRec* item) noexcept
{
    return item != nullptr && item->it_Header.ih_ItemType == DXFItemText &&
           (item->it_Header.ih_Flags & DXFItemExcluded) == 0 && !on_special_layer(drawing, *item);
}

class TextJoiner {
public:
    TextJoiner(DXFFilterContext& context, std::vector<JoinRecord>& records)
        : m_context(context), m_options(context.options), m_records(records)
    {
    }

    void join()
    {
        if (m_records.size() < 2)
            return;
        for (JoinRecord& r : m_records) {
            if (r.visited)
                continue;
            r.visited = true;
            for (JoinRecord& other : m_records) {
                if (!other.visited)
                    other.order = 0;
            }
            r.order = 0;
            m_run.clear();
            m_run.push_back(&r);
            search(r, r.rotation - kHalfPi, 1);
            search(r, r.rotation + kHalfPi, -1);
            if (m_run.size() > 1)
                make_joined();
            for (JoinRecord* record : m_run)
                record->visited = true;
        }
    }

private:
    // Follows the stack from r in the direction, numbering the texts found step by
    // step and adding them to the run.
    void search(const JoinRecord& r, double direction, int32_t step)
    {
        Point3DRec current = r.point;
        int32_t next = step;
        for (;;) {
            JoinRecord* winner = nullptr;
            Point3DRec winner_point{};
            double winner_distance = 0.0;
            for (JoinRecord& candidate : m_records) {
                if (candidate.visited || candidate.order != 0 ||
                    candidate.item->it_Header.ih_Layer != r.item->it_Header.ih_Layer)
                    continue;
                const double turn = candidate.rotation - r.rotation;
                if (!(turn > -m_options.join_angle_tolerance &&
                      turn < m_options.join_angle_tolerance))
                    continue;
                // The stack runs from the current point in the direction only: a text
                // on the other side belongs to the other search.
                Point3DRec meeting{};
                if (DXFIntersectRayRay(&current, direction, 0, &candidate.point, candidate.rotation,
                                       0, &meeting) == 0)
                    continue;
                if (!(DXFPointDistance(&meeting, &candidate.point) - m_options.join_offset <
                      kTolerance))
                    continue;
                const double distance = DXFPointDistance(&current, &meeting);
                if (winner == nullptr || distance < winner_distance - kTolerance) {
                    winner = &candidate;
                    winner_point = meeting;
                    winner_distance = distance;
                }
            }
            if (winner == nullptr || !(winner_distance - m_options.join_spacing < kTolerance))
                return;
            winner->order = next;
            next += step;
            current = winner_point;
            m_run.push_back(winner);
        }
    }

    // One TEXT of the run from the topmost to the bottom text, before the topmost.
    void make_joined()
    {
        std::vector<JoinRecord*>& run = m_run;
        std::sort(run.begin(), run.end(),
                  [](const JoinRecord* a, const JoinRecord* b) { return a->order < b->order; });
        const JoinRecord& top = *run.front();
        const JoinRecord& bottom = *run.back();
        std::string text;
        for (const JoinRecord* record : run) {
            if (record != run.front())
                text += m_options.join_separator;
            const char* line = record->item->it_Text.tx_Text;
            text += line != nullptr ? line : "";
        }
        DXFDrawingRec& drawing = m_context.drawing;
        const ItemHeaderRec& head = top.item->it_Header;
        if (text.size() >= static_cast<size_t>(INT32_MAX) / 2)
            return;
        ItemRec* joined =
            CreateItem(DXFItemText, static_cast<int32_t>(text.size()) + 1, head.ih_Layer,
                       head.ih_Colour, head.ih_LineType, drawing.dxf_Pool);
        if (joined == nullptr)
            return;
        joined->it_Header.ih_Flags |= DXFItemJoined;
        TextRec& t = joined->it_Text;
        t.tx_Text = reinterpret_cast<char*>(&t + 1);
        std::memcpy(t.tx_Text, text.c_str(), text.size() + 1);
        t.tx_Point = bottom.item->it_Text.tx_Point;
        t.tx_Height = top.height;
        t.tx_Rotation = top.rotation;
        t.tx_Oblique = top.item->it_Text.tx_Oblique;
        const double n = static_cast<double>(text.size());
        t.tx_Point2 = Point3DRec{
            t.tx_Point.x + std::cos(t.tx_Rotation) * t.tx_Height * n,
            t.tx_Point.y + t.tx_Height + std::sin(t.tx_Rotation) * t.tx_Height * n, t.tx_Point.z};
        if (InsertItem(&drawing, top.item, joined) == 0) {
            FreeVecPooled(drawing.dxf_Pool, joined);
            return;
        }
        for (JoinRecord* record : run)
            record->item->it_Header.ih_Flags |= DXFItemExcluded;
    }

    DXFFilterContext& m_context;
    const DXFFilterOptions& m_options;
    std::vector<JoinRecord>& m_records;
    std::vector<JoinRecord*> m_run; // r and the texts found from it
};

JoinRecord record_of(ItemRec* item) noexcept
{
    const TextRec& text = item->it_Text;
    return JoinRecord{false, 0, item, text.tx_Point, text.tx_Height, text.tx_Rotation};
}

}

void FilterJoinTexts(DXFFilterContext& context) noexcept
{
    const char* separator = context.options.join_separator;
    if (separator == nullptr || separator[0] == '\0')
        return;
    DXFDrawingRec& drawing = context.drawing;
    try {
        // The sets first: joining inserts items, which moves the indexes.
        std::vector<std::vector<JoinRecord>> sets;
        const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
        bool open = false;
        for (int32_t i = 0; i < blocks.ib_N; ++i) {
            ItemRec* item = blocks.ib_Items[i];
            if (item == nullptr)
                continue;
            if (item->it_Header.ih_ItemType == DXFItemBlock) {
                sets.emplace_back();
                open = true;
            } else if (item->it_Header.ih_ItemType == DXFItemEndBlock) {
                open = false;
            } else if (open && joinable(drawing, item)) {
                sets.back().push_back(record_of(item));
            }
        }
        sets.emplace_back();
        const ItemBufferRec& entities = drawing.dxf_ItemBuffer;
        for (int32_t i = 0; i < entities.ib_N; ++i) {
            if (joinable(drawing, entities.ib_Items[i]))
                sets.back().push_back(record_of(entities.ib_Items[i]));
        }
        for (std::vector<JoinRecord>& set : sets)
            TextJoiner(context, set).join();
    } catch (...) {
        // Memory ran out: the texts not yet joined stay as they are.
    }
}

}
