// The cell sizes of the control's eight views. Each view lays its items out in cells of
// one size, scaled from its 96-dpi default by the screen's resolution. A cell size may
// follow the captions instead (AutoSizeCaption): the grid layout then computes its width
// and keeps it apart from the fixed pair, so switching auto-sizing off brings the fixed
// size back.
#ifndef VISTREL_LISTVIEW_CELL_SIZES_H
#define VISTREL_LISTVIEW_CELL_SIZES_H

#include "listview/persistent.h"

#include <memory>

namespace vistrel::listview {

// A size in pixels at 96 dpi, scaled to `dpi` and rounded to the nearest integer (a half
// goes to the even neighbour).
int LqDpiScaled(int size_at_96_dpi, int dpi);

class TLqCellSize : public TLqOwnedPersistent {
public:
    // A 75 x 75 cell at 96 dpi.
    explicit TLqCellSize(TCustomLqListview* owner);

    bool AutoSizeCaption() const { return m_auto_size_caption; }
    void SetAutoSizeCaption(bool value);
    // The pair in force while auto-sizing is on.
    int AutoSizeWidth() const { return m_auto_size_width; }
    int AutoSizeHeight() const { return m_auto_size_height; }
    // The auto-size width as the grid layout computes it; nothing is rebuilt.
    void SetAutoSizeWidth(int value) { m_auto_size_width = value; }
    // The auto-size pair while auto-sizing is on (unclamped), else the fixed pair but at
    // least 1.
    int Width() const;
    int Height() const;
    // The layouts divide by these: never below 1, whatever the auto-size pair holds.
    int SafeWidth() const;
    int SafeHeight() const;
    void SetWidth(int value);
    void SetHeight(int value);
    // Negative values count as 0. Auto-sized: stores the auto-size pair and nothing else.
    // Fixed: stores a changed pair, then rebuilds the groups (changed or not).
    void SetSize(int width, int height);

    // Takes the width and height of any cell size as the fixed pair (an auto-sized source
    // hands over its auto-size pair); the auto-size state and pair stay. Anything else is
    // ignored. Nothing is rebuilt.
    void Assign(fw::TPersistent* source) override;
    // The class's default pair, scaled as at construction, through SetSize.
    virtual void RestoreDefaults();
    // Width and Height (and AutoSizeCaption where the class publishes it), each written
    // only when it differs from its default.
    void DefineProperties(fw::TFiler* filer) override;

protected:
    TLqCellSize(TCustomLqListview* owner, int default_width, int default_height);
    // The class's pair at 96 dpi.
    virtual fw::TSize DefaultSize() const { return fw::TSize{75, 75}; }
    // Whether AutoSizeCaption takes part in streaming.
    virtual bool PublishesAutoSizeCaption() const { return false; }

private:
    bool m_auto_size_caption = false;
    int m_auto_size_height = 0;
    int m_auto_size_width = 0;
    int m_height = 0;
    int m_width = 0;
};

class TLqCellSizeIcon : public TLqCellSize {
public:
    using TLqCellSize::TLqCellSize;
};

class TLqCellSizeSmallIcon : public TLqCellSize {
public:
    explicit TLqCellSizeSmallIcon(TCustomLqListview* owner) : TLqCellSize(owner, 200, 17) {}

protected:
    fw::TSize DefaultSize() const override { return fw::TSize{200, 17}; }
    bool PublishesAutoSizeCaption() const override { return true; }
};

class TLqCellSizeThumbnail : public TLqCellSize {
public:
    explicit TLqCellSizeThumbnail(TCustomLqListview* owner) : TLqCellSize(owner, 125, 143) {}

protected:
    fw::TSize DefaultSize() const override { return fw::TSize{125, 143}; }
};

class TLqCellSizeFilmStrip : public TLqCellSizeThumbnail {
public:
    using TLqCellSizeThumbnail::TLqCellSizeThumbnail;
};

class TLqCellSizeTile : public TLqCellSize {
public:
    explicit TLqCellSizeTile(TCustomLqListview* owner) : TLqCellSize(owner, 218, 58) {}

protected:
    fw::TSize DefaultSize() const override { return fw::TSize{218, 58}; }
};

class TLqCellSizeList : public TLqCellSize {
public:
    explicit TLqCellSizeList(TCustomLqListview* owner) : TLqCellSize(owner, 200, 17) {}

protected:
    fw::TSize DefaultSize() const override { return fw::TSize{200, 17}; }
    bool PublishesAutoSizeCaption() const override { return true; }
};

class TLqCellSizeReport : public TLqCellSize {
public:
    explicit TLqCellSizeReport(TCustomLqListview* owner) : TLqCellSize(owner, 75, 17) {}

protected:
    fw::TSize DefaultSize() const override { return fw::TSize{75, 17}; }
    bool PublishesAutoSizeCaption() const override { return true; }
};

class TLqCellGrid : public TLqCellSizeReport {
public:
    using TLqCellSizeReport::TLqCellSizeReport;
};

// The eight cell sizes of a control, one per view.
class TLqCellSizes : public TLqOwnedPersistent {
public:
    explicit TLqCellSizes(TCustomLqListview* owner);
    ~TLqCellSizes() override;

    TLqCellSizeFilmStrip* FilmStrip() const { return m_film_strip.get(); }
    TLqCellSizeIcon* Icon() const { return m_icon.get(); }
    TLqCellSizeSmallIcon* SmallIcon() const { return m_small_icon.get(); }
    TLqCellGrid* Grid() const { return m_grid.get(); }
    TLqCellSizeThumbnail* Thumbnail() const { return m_thumbnail.get(); }
    TLqCellSizeTile* Tile() const { return m_tile.get(); }
    TLqCellSizeList* List() const { return m_list.get(); }
    TLqCellSizeReport* Report() const { return m_report.get(); }
    // The cell size of a view.
    TLqCellSize* ForView(TLqListStyle style) const;

    // The eight objects' properties as "FilmStrip.Width" and so on, in the order
    // FilmStrip, Icon, SmallIcon, Grid, Thumbnail, Tile, List, Report; reading fills the
    // existing objects.
    void DefineProperties(fw::TFiler* filer) override;

private:
    std::unique_ptr<TLqCellSizeFilmStrip> m_film_strip;
    std::unique_ptr<TLqCellSizeIcon> m_icon;
    std::unique_ptr<TLqCellSizeList> m_list;
    std::unique_ptr<TLqCellSizeReport> m_report;
    std::unique_ptr<TLqCellSizeSmallIcon> m_small_icon;
    std::unique_ptr<TLqCellGrid> m_grid;
    std::unique_ptr<TLqCellSizeThumbnail> m_thumbnail;
    std::unique_ptr<TLqCellSizeTile> m_tile;
};

}

#endif
