// main_window_screenshot ARTIFACTS runs the main window on a real X display (Xvfb) over a
// folder of three drawings, as the program starts on the folder kept from the last run:
// it pumps the message loop until the first drawing is shown, saves the window as
// ARTIFACTS/main_window.png (and the whole screen as ARTIFACTS/screen.png) and checks
// pixels of the picture: the ruler band, the splitter, the dot grid, the black view
// around the drawing, the drawing itself and the frame of the selected cell. Exit status
// 0 when every check holds.

#include "forms/drawing_view.h"
#include "forms/main_window.h"
#include "units/vector_catalogue.h"

#include "drawing_files.h"

#include "framework/forms.h"
#include "framework/inifiles.h"
#include "framework/sysutils.h"
#include "platform/qt.h"
#include "test_support/temp_folder.h"

#include <QtCore/QDir>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <clocale>
#include <cstdio>
#include <functional>
#include <string>

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
    units.InitializeAll();
    Application->Initialize();

    // The folder of the last run, kept in the settings.
    const test_support::TempFolder folder;
    folder.write("a_plate.dxf", plate_dxf());
    folder.write("b_square.dxf", square_dxf(50));
    folder.write("c_small.dxf", square_dxf(5));
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
    for (int round = 0; round < 500 && !shown(); ++round) {
        Application->ProcessMessages();
        QCoreApplication::processEvents();
    }
    check(shown(), "the first drawing is shown");
    check(window->lvVectorThumbs->Items()->GetCount() == 3, "three drawings in the film strip");
    // The window's last paints reach the screen.
    for (int round = 0; round < 50; ++round) {
        Application->ProcessMessages();
        QCoreApplication::processEvents();
    }

    if (widget == nullptr) {
        std::fputs("the main window has no widget\n", stderr);
        return 1;
    }
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
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
    const QRgb highlight = rgb_of(clHighlight);
    const int strip_top = 42 + 508;
    check((image.pixel(313, strip_top + 4 + 50) & 0xFFFFFF) == (highlight & 0xFFFFFF) &&
              (image.pixel(313 + 79, strip_top + 4 + 50) & 0xFFFFFF) == (highlight & 0xFFFFFF) &&
              (image.pixel(313 + 40, strip_top + 4) & 0xFFFFFF) == (highlight & 0xFFFFFF),
          "the selected cell's frame");
    check((image.pixel(313 + 80, strip_top + 4 + 50) & 0xFFFFFF) != (highlight & 0xFFFFFF),
          "no frame around the next cell");

    Free(window);
    units.FinalizeAll();
    return g_failures == 0 ? 0 : 1;
}
