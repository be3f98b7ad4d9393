// main_window_screenshot ARTIFACTS runs the main window on a real X display (Xvfb) over a
// folder of twelve drawings, as the program starts on the folder kept from the last run:
// it pumps the message loop until the first drawing is shown, saves the window as
// ARTIFACTS/main_window.png (and the whole screen as ARTIFACTS/screen.png) and checks
// pixels of the picture: the ruler band, the splitter, the dot grid, the black view
// around the drawing, the drawing itself, and the film strip's cells with their frames,
// the first cell's selection and the thumbnails. Then a click on the third cell
// (main_window_click.png) and a wheel notch on the strip (main_window_wheel.png). Exit
// status 0 when every check holds.

#include "forms/drawing_view.h"
#include "forms/main_window.h"
#include "listview/common/common_units.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/rect_array.h"
#include "listview/scrollbars.h"
#include "listview/selection.h"
#include "units/vector_catalogue.h"

#include "drawing_files.h"

#include "framework/forms.h"
#include "framework/inifiles.h"
#include "framework/sysutils.h"
#include "platform/qt.h"
#include "platform/system_metrics.h"
#include "test_support/temp_folder.h"

#include <QtCore/QDir>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace fw;
using namespace drawing_files;

namespace {

int g_failures = 0;

void check(bool condition, const std::string& what)
{
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what.c_str());
    if (!condition)
        ++g_failures;
}

QRgb rgb_of(TColor colour)
{
    const TColor rgb = ColorToRGB(colour);
    return qRgb(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>((rgb >> 16) & 0xFF));
}

// Whether a pixel of the rectangle has the colour.
bool any_pixel(const QImage& image, const QRect& area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

// How many pixels of the rectangle pass the test.
int count_pixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
    return count;
}

// A long flat plate with two holes' squares: fitted to the view's width it leaves the
// view black above and below it.
std::string plate_dxf()
{
    Groups entities = line("0", 0, 0, 400, 0) + line("0", 400, 0, 400, 60) +
                      line("0", 400, 60, 0, 60) + line("0", 0, 60, 0, 0);
    for (const double x : {60.0, 340.0})
        entities = entities + line("0", x - 10, 20, x + 10, 20) +
                   line("0", x + 10, 20, x + 10, 40) + line("0", x + 10, 40, x - 10, 40) +
                   line("0", x - 10, 40, x - 10, 20);
    return dxf({section("ENTITIES", entities)});
}

std::string square_dxf(double side)
{
    return dxf(
        {section("ENTITIES", line("0", 0, 0, side, 0) + line("0", side, 0, side, side) +
                                 line("0", side, side, 0, side) + line("0", 0, side, 0, 0))});
}

using vistrel::listview::TLqItem;
using vistrel::listview::TLqListview;
using vistrel::listview::TLqRectArrayObject;

bool same(QRgb pixel, QRgb colour)
{
    return (pixel & 0xFFFFFF) == (colour & 0xFFFFFF);
}

// The colour of a background tinted with a colour at alpha, as the control blends.
QRgb tinted(QRgb background, QRgb tint, int alpha)
{
    const auto lane = [&](int b, int t) { return (b * (256 - alpha) + t * alpha) >> 8; };
    return qRgb(lane(qRed(background), qRed(tint)), lane(qGreen(background), qGreen(tint)),
                lane(qBlue(background), qBlue(tint)));
}

// Channels within one step of each other (the blend's rounding).
bool near(QRgb pixel, QRgb colour)
{
    return std::abs(qRed(pixel) - qRed(colour)) <= 1 &&
           std::abs(qGreen(pixel) - qGreen(colour)) <= 1 &&
           std::abs(qBlue(pixel) - qBlue(colour)) <= 1;
}

// Whether every pixel of the frame at the rectangle (FrameRect's: right and bottom
// exclusive) has the colour.
bool framed(const QImage& image, const QRect& rect, QRgb colour)
{
    for (int x = rect.left(); x <= rect.right(); ++x)
        if (!same(image.pixel(x, rect.top()), colour) ||
            !same(image.pixel(x, rect.bottom()), colour))
            return false;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        if (!same(image.pixel(rect.left(), y), colour) ||
            !same(image.pixel(rect.right(), y), colour))
            return false;
    return true;
}

// The item's rectangles in the picture of the window, whose client origin is the
// picture's origin.
struct CellRects {
    QRect icon;
    QRect selection;
    QRect thumbnail; // the 64 x 64 picture at the thumbnail rectangle's corner
};

CellRects cell_rects(TLqListview* strip, QPoint strip_origin, TLqItem* item)
{
    TLqRectArrayObject rects;
    item->ItemRectArray(nullptr, strip->ScratchCanvas(), rects);
    const auto to_picture = [&](const TRect& view) {
        const TRect window = strip->Scrollbars()->MapViewRectToWindowRect(view);
        return QRect(QPoint(window.Left, window.Top) + strip_origin,
                     QPoint(window.Right - 1, window.Bottom - 1) + strip_origin);
    };
    const bool focus_rect = item->Focused() && strip->Focused();
    CellRects cell;
    cell.icon = to_picture(rects.IconRect);
    cell.selection = to_picture(focus_rect ? rects.FullFocusSelRect : rects.SelectionRect);
    cell.thumbnail = QRect(cell.icon.topLeft() + QPoint(4, 4), QSize(64, 64));
    return cell;
}

void pump(int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        Application->ProcessMessages();
        QCoreApplication::processEvents();
    }
}

QImage picture(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: main_window_screenshot ARTIFACTS\n", stderr);
        return 2;
    }
    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    const QString artifacts = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(artifacts);
    // Timers run on the test clock, which moves only when told.
    platform::test::AdvanceClock(0);

    fw::UnitRegistry units;
    units.Add("catalogue", nullptr,
              [] { vistrel::catalogue::VectorManager().GetFiles(QString(), {}); });
    units.Add("forms", fw::InitializeFormsUnit, fw::FinalizeFormsUnit);
    vistrel::listview::RegisterCommonUnits(units);
    units.Add("list view", vistrel::listview::InitializeListviewUnit, nullptr);
    units.InitializeAll();
    Application->Initialize();

    // The folder of the last run, kept in the settings: twelve drawings, the plate first.
    const test_support::TempFolder folder;
    folder.write("d01_plate.dxf", plate_dxf());
    for (int n = 2; n <= 12; ++n)
        folder.write(QStringLiteral("d%1_square.dxf").arg(n, 2, 10, QLatin1Char('0')).toStdString(),
                     square_dxf(10.0 * n));
    const QString settings = vistrel::TfrmMain::SettingsFileName();
    ForceDirectories(ExtractFilePath(settings));
    TIniFile(settings).WriteString(QStringLiteral("Dirs"), QStringLiteral("LastvectorDir"),
                                   QString::fromStdString(folder.path()));

    auto* window = new vistrel::TfrmMain(Application);
    window->AfterConstruction();
    window->Show();
    QWidget* widget = platform::WidgetOf(window->Handle());
    const auto shown = [&] {
        return window->VectorChild != nullptr && window->VectorChild->Struct() != nullptr &&
               widget != nullptr && widget->isVisible();
    };
    for (int round = 0; round < 500 && !shown(); ++round)
        pump(1);
    check(shown(), "the first drawing is shown");
    TLqListview* strip = window->lvVectorThumbs;
    check(strip->Items()->GetCount() == 12, "twelve drawings in the film strip");
    // The window's last paints reach the screen.
    pump(50);

    if (widget == nullptr) {
        std::fputs("the main window has no widget\n", stderr);
        return 1;
    }
    QImage image = picture(widget);
    check(image.save(artifacts + QStringLiteral("/main_window.png")), "main_window.png saved");
    if (QScreen* screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(artifacts + QStringLiteral("/screen.png"));

    // Places in the window of 900 x 700: the band above, the splitter at 310, the view
    // from (313, 42) to (900, 550) with its left ruler 40 wide and its bottom ruler 17
    // high, and the film strip below it.
    const QRect view = QRect(QPoint(313 + 40, 42 + 1), QPoint(899 - 1, 549 - 17));
    check(image.width() == 900 && image.height() == 700, "the window is 900 x 700");
    const QRgb band = rgb_of(0xD7C1B5);
    check((image.pixel(5, 2) & 0xFFFFFF) == (band & 0xFFFFFF), "the top band is $D7C1B5");
    const QRect left_ruler(QPoint(313, 43), QPoint(313 + 39, 549 - 17));
    check(count_pixels(image, left_ruler, [&](QRgb pixel) { return pixel == (band & 0xFFFFFF); }) >
              left_ruler.width() * left_ruler.height() / 2,
          "the left ruler band is mostly $D7C1B5");
    const QRect bottom_ruler(QPoint(313 + 40, 549 - 16), QPoint(899, 549));
    check(any_pixel(image, bottom_ruler, band), "the bottom ruler band is $D7C1B5");
    check((image.pixel(311, 300) & 0xFFFFFF) == (rgb_of(0x71B8FF) & 0xFFFFFF),
          "the splitter is $71B8FF");
    check(any_pixel(image, view, qRgb(0x31, 0x31, 0x31)), "a $313131 grid dot in the view");
    // The plate fills the view's width and a seventh of its height in the middle.
    const QRect above_drawing(QPoint(view.center().x() - 3, view.top() + 10),
                              QPoint(view.center().x() + 3, view.top() + 16));
    check(any_pixel(image, above_drawing, qRgb(0, 0, 0)), "black above the drawing");
    const QRect middle_row(QPoint(view.left(), view.center().y() - 40),
                           QPoint(view.right(), view.center().y() + 40));
    check(count_pixels(image, middle_row,
                       [](QRgb pixel) {
                           return pixel != 0 && pixel != (qRgb(0x31, 0x31, 0x31) & 0xFFFFFF);
                       }) > 100,
          "the drawing's lines in the middle of the view");

    // ---- The film strip
    const TPoint origin = strip->ClientToScreen(TPoint{0, 0});
    const TPoint window_origin = window->ClientToScreen(TPoint{0, 0});
    const QPoint strip_origin(origin.X - window_origin.X, origin.Y - window_origin.Y);
    const QRect strip_area(strip_origin, QSize(strip->ClientWidth(), strip->ClientHeight()));
    const QRgb highlight = rgb_of(static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHT)));
    const QRgb inactive = rgb_of(static_cast<TColor>(GetSysColor(COLOR_INACTIVEBORDER)));
    const QRgb background = rgb_of(strip->Color());
    const auto cells_in_view = [&] {
        std::vector<std::pair<TLqItem*, CellRects>> cells;
        for (int i = 0; i < strip->Items()->GetCount(); ++i) {
            TLqItem* item = strip->Items()->GetItem(i);
            const CellRects cell = cell_rects(strip, strip_origin, item);
            if (strip_area.contains(cell.icon))
                cells.emplace_back(item, cell);
        }
        return cells;
    };
    const auto cells = cells_in_view();
    check(cells.size() >= 5, "at least five whole cells in the strip");
    bool frames = true;
    bool thumbnails = true;
    for (const auto& [item, cell] : cells) {
        if (!item->Selected())
            frames = frames && framed(image, cell.icon, highlight);
        thumbnails = thumbnails && count_pixels(image, cell.thumbnail, [](QRgb pixel) {
                                       return pixel != 0x808080 && pixel != 0xFFFFFF;
                                   }) == 0;
    }
    check(frames, "a clHighlight frame at every unselected cell's image area");
    check(thumbnails, "only $808080 and white inside every thumbnail");
    check(strip->Items()->GetItem(0)->Selected(), "the first cell is selected");
    // The first cell: three frames and the tinted selection, in the colours of the strip's
    // focus state.
    const bool strip_focused = strip->Focused();
    const QRgb selection_colour = strip_focused ? highlight : inactive;
    const CellRects first = cells.empty() ? CellRects{} : cells.front().second;
    check(framed(image, first.icon, selection_colour) &&
              framed(image, first.icon.adjusted(1, 1, -1, -1), selection_colour) &&
              framed(image, first.icon.adjusted(2, 2, -2, -2), selection_colour),
          strip_focused ? "three clHighlight frames around the first cell's image"
                        : "three clInactiveBorder frames around the first cell's image");
    check(near(image.pixel(first.selection.left() + 1, first.selection.top() + 1),
               tinted(background, selection_colour, 128)),
          "the first cell's selection rectangle is tinted at alpha 128");
    check(!framed(image, cells.size() > 1 ? cells[1].second.icon.adjusted(1, 1, -1, -1) : QRect(),
                  selection_colour),
          "one frame only around the second cell's image");

    // ---- A click on the third cell
    const CellRects third = cells.size() > 2 ? cells[2].second : CellRects{};
    const QPoint click = third.icon.center() - strip_origin;
    platform::test::SendMouseInput(strip->Handle(), platform::test::MouseInput::Press,
                                   POINT{click.x(), click.y()}, Qt::LeftButton, Qt::LeftButton);
    platform::test::SendMouseInput(strip->Handle(), platform::test::MouseInput::Release,
                                   POINT{click.x(), click.y()}, Qt::LeftButton, Qt::NoButton);
    const QString third_path =
        AnsiUpperCase(IncludeTrailingPathDelimiter(QString::fromStdString(folder.path())) +
                      QStringLiteral("d03_square.dxf"));
    for (int round = 0; round < 500 && window->LastVectorPrev != third_path; ++round)
        pump(1);
    pump(50);
    image = picture(widget);
    image.save(artifacts + QStringLiteral("/main_window_click.png"));
    check(window->LastVectorPrev == third_path && window->VectorChild->Struct() != nullptr,
          "the click shows the third drawing");
    const CellRects clicked = cell_rects(strip, strip_origin, strip->Items()->GetItem(2));
    check(framed(image, clicked.icon, highlight) &&
              framed(image, clicked.icon.adjusted(1, 1, -1, -1), highlight) &&
              framed(image, clicked.icon.adjusted(2, 2, -2, -2), highlight),
          "three clHighlight frames around the third cell's image");
    check(!strip->Items()->GetItem(0)->Selected(), "the first cell is no longer selected");

    // ---- A wheel notch towards the user scrolls the strip one cell on
    std::vector<QRect> before;
    for (int i = 0; i < strip->Items()->GetCount(); ++i)
        before.push_back(cell_rects(strip, strip_origin, strip->Items()->GetItem(i)).icon);
    platform::test::SendWheelInput(strip->Handle(), POINT{click.x(), click.y()}, -120);
    pump(50);
    image = picture(widget);
    image.save(artifacts + QStringLiteral("/main_window_wheel.png"));
    bool moved = true;
    for (int i = 0; i < strip->Items()->GetCount(); ++i) {
        const QRect after = cell_rects(strip, strip_origin, strip->Items()->GetItem(i)).icon;
        moved = moved && after == before[static_cast<size_t>(i)].translated(-80, 0);
    }
    check(moved, "after a wheel notch the cells lie 80 pixels further left");
    // The fourth cell's frame now stands where the third cell's stood.
    const QRect fourth_now = before[3].translated(-80, 0);
    check(strip_area.contains(fourth_now) && framed(image, fourth_now, highlight),
          "the fourth cell's frame is drawn 80 pixels further left");

    Free(window);
    units.FinalizeAll();
    return g_failures == 0 ? 0 : 1;
}
