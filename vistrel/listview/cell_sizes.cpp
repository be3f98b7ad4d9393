#include "listview/cell_sizes.h"

#include "listview/groups.h"
#include "listview/listview.h"
#include "listview/stream_io.h"
#include "platform/system_metrics.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <cmath>

using namespace fw;

namespace vistrel::listview {

namespace {

// The screen's resolution, horizontal and vertical.
struct ScreenDpi {
    int x = 96;
    int y = 96;
};

ScreenDpi screen_dpi()
{
    ScreenDpi dpi;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr)
        return dpi;
    dpi.x = GetDeviceCaps(dc, LOGPIXELSX);
    dpi.y = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

void rebuild_groups(TCustomLqListview* owner)
{
    if (owner != nullptr && owner->Groups() != nullptr)
        owner->Groups()->Rebuild(false);
}

void read_int(TStream* stream, int& value)
{
    value = stream_io::ReadInt32(stream);
}

// Passes the properties of one sub-object on under "Name.Property".
class PrefixFiler : public TFiler {
public:
    PrefixFiler(TFiler* filer, const QString& prefix) : m_filer(filer), m_prefix(prefix) {}
    void DefineBinaryProperty(const QString& name, TStreamProc read_data, TStreamProc write_data,
                              bool has_data) override
    {
        m_filer->DefineBinaryProperty(m_prefix + QLatin1Char('.') + name, std::move(read_data),
                                      std::move(write_data), has_data);
    }

private:
    TFiler* m_filer;
    QString m_prefix;
};

}

int LqDpiScaled(int size_at_96_dpi, int dpi)
{
    // The current rounding mode is to nearest, halves to even.
    return static_cast<int>(std::lrint(static_cast<double>(dpi) * size_at_96_dpi / 96.0));
}

TLqCellSize::TLqCellSize(TCustomLqListview* owner) : TLqCellSize(owner, 75, 75)
{
}

TLqCellSize::TLqCellSize(TCustomLqListview* owner, int default_width, int default_height)
    : TLqOwnedPersistent(owner)
{
    const ScreenDpi dpi = screen_dpi();
    m_width = std::max(0, LqDpiScaled(default_width, dpi.x));
    m_height = std::max(0, LqDpiScaled(default_height, dpi.y));
    m_auto_size_width = m_width;
    m_auto_size_height = m_height;
}

int TLqCellSize::Width() const
{
    return m_auto_size_caption ? m_auto_size_width : std::max(1, m_width);
}

int TLqCellSize::Height() const
{
    return m_auto_size_caption ? m_auto_size_height : std::max(1, m_height);
}

int TLqCellSize::SafeWidth() const
{
    return std::max(1, Width());
}

int TLqCellSize::SafeHeight() const
{
    return std::max(1, Height());
}

void TLqCellSize::SetWidth(int value)
{
    SetSize(value, m_auto_size_caption ? m_auto_size_height : m_height);
}

void TLqCellSize::SetHeight(int value)
{
    SetSize(m_auto_size_caption ? m_auto_size_width : m_width, value);
}

void TLqCellSize::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (m_auto_size_caption) {
        m_auto_size_width = width;
        m_auto_size_height = height;
        return;
    }
    m_width = width;
    m_height = height;
    rebuild_groups(OwnerListview());
}

void TLqCellSize::SetAutoSizeCaption(bool value)
{
    if (value == m_auto_size_caption)
        return;
    m_auto_size_caption = value;
    if (!value) {
        m_auto_size_width = m_width;
        m_auto_size_height = m_height;
    }
    rebuild_groups(OwnerListview());
}

void TLqCellSize::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TLqCellSize*>(source);
    if (other == nullptr)
        return;
    const int height = other->Height();
    const int width = other->Width();
    // Fixed sizes are never negative, whatever an auto-sized source holds.
    m_height = std::max(0, height);
    m_width = std::max(0, width);
}

void TLqCellSize::RestoreDefaults()
{
    const TSize size = DefaultSize();
    const ScreenDpi dpi = screen_dpi();
    SetSize(LqDpiScaled(size.cx, dpi.x), LqDpiScaled(size.cy, dpi.y));
}

void TLqCellSize::DefineProperties(TFiler* filer)
{
    TLqOwnedPersistent::DefineProperties(filer);
    const TSize defaults = DefaultSize();
    if (PublishesAutoSizeCaption())
        filer->DefineBinaryProperty(
            QStringLiteral("AutoSizeCaption"),
            [this](TStream* stream) { SetAutoSizeCaption(stream_io::ReadByte(stream) != 0); },
            [this](TStream* stream) { stream_io::WriteByte(stream, m_auto_size_caption ? 1 : 0); },
            m_auto_size_caption);
    filer->DefineBinaryProperty(
        QStringLiteral("Width"),
        [this](TStream* stream) {
            int value = 0;
            read_int(stream, value);
            SetWidth(value);
        },
        [this](TStream* stream) { stream_io::WriteInt32(stream, Width()); },
        Width() != defaults.cx);
    filer->DefineBinaryProperty(
        QStringLiteral("Height"),
        [this](TStream* stream) {
            int value = 0;
            read_int(stream, value);
            SetHeight(value);
        },
        [this](TStream* stream) { stream_io::WriteInt32(stream, Height()); },
        Height() != defaults.cy);
}

TLqCellSizes::TLqCellSizes(TCustomLqListview* owner) : TLqOwnedPersistent(owner)
{
    m_icon = std::make_unique<TLqCellSizeIcon>(owner);
    m_small_icon = std::make_unique<TLqCellSizeSmallIcon>(owner);
    m_thumbnail = std::make_unique<TLqCellSizeThumbnail>(owner);
    m_tile = std::make_unique<TLqCellSizeTile>(owner);
    m_list = std::make_unique<TLqCellSizeList>(owner);
    m_report = std::make_unique<TLqCellSizeReport>(owner);
    m_film_strip = std::make_unique<TLqCellSizeFilmStrip>(owner);
    m_grid = std::make_unique<TLqCellGrid>(owner);
}

TLqCellSizes::~TLqCellSizes()
{
    m_icon.reset();
    m_small_icon.reset();
    m_thumbnail.reset();
    m_tile.reset();
    m_list.reset();
    m_report.reset();
    m_film_strip.reset();
    m_grid.reset();
}

TLqCellSize* TLqCellSizes::ForView(TLqListStyle style) const
{
    switch (style) {
    case elsIcon:
        return Icon();
    case elsSmallIcon:
        return SmallIcon();
    case elsList:
        return List();
    case elsReport:
        return Report();
    case elsThumbnail:
        return Thumbnail();
    case elsTile:
        return Tile();
    case elsFilmStrip:
        return FilmStrip();
    case elsGrid:
        return Grid();
    }
    return Icon();
}

void TLqCellSizes::DefineProperties(TFiler* filer)
{
    TLqOwnedPersistent::DefineProperties(filer);
    const std::pair<const char*, TLqCellSize*> sizes[] = {
        {"FilmStrip", FilmStrip()}, {"Icon", Icon()},           {"SmallIcon", SmallIcon()},
        {"Grid", Grid()},           {"Thumbnail", Thumbnail()}, {"Tile", Tile()},
        {"List", List()},           {"Report", Report()}};
    for (const auto& [name, size] : sizes) {
        PrefixFiler prefixed(filer, QString::fromLatin1(name));
        size->DefineProperties(&prefixed);
    }
}

}
