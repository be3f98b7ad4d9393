// System metrics, system colours, system parameters and device capabilities, from one
// fixed table at 96 dots per inch.

#include "gdi_objects.h"
#include "locale_answers.h"
#include "make_win32_error.h"
#include "qt_pump.h"
#include "user_state.h"
#include "platform/system_metrics.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>

#include <array>
#include <atomic>
#include <utility>

namespace platform::user {
namespace {

constexpr int kDefaultDesktopWidth = 1920;
constexpr int kDefaultDesktopHeight = 1080;
constexpr int kDotsPerInch = 96;

std::atomic<int> g_desktop_width{0};
std::atomic<int> g_desktop_height{0};

struct Metric {
    int index;
    int value;
};

// The classic desktop's sizes at 96 dots per inch.
constexpr std::array kMetrics{
    Metric{SM_CXVSCROLL, 17},
    Metric{SM_CYHSCROLL, 17},
    Metric{SM_CYCAPTION, 22},
    Metric{SM_CXBORDER, 1},
    Metric{SM_CYBORDER, 1},
    Metric{SM_CXDLGFRAME, 3},
    Metric{SM_CYDLGFRAME, 3},
    Metric{SM_CYVTHUMB, 17},
    Metric{SM_CXHTHUMB, 17},
    Metric{SM_CXICON, 32},
    Metric{SM_CYICON, 32},
    Metric{SM_CXCURSOR, 32},
    Metric{SM_CYCURSOR, 32},
    Metric{SM_CYMENU, 19},
    Metric{SM_CYVSCROLL, 17},
    Metric{SM_CXHSCROLL, 17},
    Metric{SM_SWAPBUTTON, 0},
    Metric{SM_CXMIN, 112},
    Metric{SM_CYMIN, 27},
    Metric{SM_CXSIZE, 18},
    Metric{SM_CYSIZE, 18},
    Metric{SM_CXFRAME, 4},
    Metric{SM_CYFRAME, 4},
    Metric{SM_CXMINTRACK, 112},
    Metric{SM_CYMINTRACK, 27},
    Metric{SM_CXDOUBLECLK, 4},
    Metric{SM_CYDOUBLECLK, 4},
    Metric{SM_CMOUSEBUTTONS, 3},
    Metric{SM_CXEDGE, 2},
    Metric{SM_CYEDGE, 2},
    Metric{SM_CXSMICON, 16},
    Metric{SM_CYSMICON, 16},
    Metric{SM_CXDRAG, 4},
    Metric{SM_CYDRAG, 4},
    Metric{SM_MOUSEWHEELPRESENT, 1},
    Metric{SM_CMONITORS, 1},
    Metric{SM_CXFOCUSBORDER, 1},
    Metric{SM_CYFOCUSBORDER, 1},
};

// The classic desktop's colours, 0x00BBGGRR.
constexpr std::array<COLORREF, COLOR_MENUBAR + 1> kColours{
    RGB(200, 200, 200), // COLOR_SCROLLBAR
    RGB(0, 0, 0),       // COLOR_BACKGROUND
    RGB(153, 180, 209), // COLOR_ACTIVECAPTION
    RGB(191, 205, 219), // COLOR_INACTIVECAPTION
    RGB(240, 240, 240), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(100, 100, 100), // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(0, 0, 0),       // COLOR_CAPTIONTEXT
    RGB(180, 180, 180), // COLOR_ACTIVEBORDER
    RGB(244, 247, 252), // COLOR_INACTIVEBORDER
    RGB(171, 171, 171), // COLOR_APPWORKSPACE
    RGB(51, 153, 255),  // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240), // COLOR_BTNFACE
    RGB(160, 160, 160), // COLOR_BTNSHADOW
    RGB(109, 109, 109), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(67, 78, 84),    // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105), // COLOR_3DDKSHADOW
    RGB(227, 227, 227), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(0, 0, 0),       // 25: none
    RGB(0, 102, 204),   // COLOR_HOTLIGHT
    RGB(185, 209, 234), // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242), // COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),  // COLOR_MENUHILIGHT
    RGB(240, 240, 240), // COLOR_MENUBAR
};

struct DesktopSize {
    int width;
    int height;
};

// What tests set, else the screens of the program's Qt application (read on its thread
// only), else a common desktop.
DesktopSize desktop_size(bool virtual_desktop)
{
    const int width = g_desktop_width.load();
    const int height = g_desktop_height.load();
    if (width > 0 && height > 0)
        return DesktopSize{width, height};
    if (is_qt_thread() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
            const QSize size = virtual_desktop ? screen->virtualSize() : screen->size();
            if (!size.isEmpty())
                return DesktopSize{size.width(), size.height()};
        }
    }
    return DesktopSize{kDefaultDesktopWidth, kDefaultDesktopHeight};
}

}

void set_desktop_size(int width, int height)
{
    g_desktop_width.store(width);
    g_desktop_height.store(height);
}

}

using namespace platform::user;

extern "C" {

PLATFORM_API int GetSystemMetrics(int index) noexcept
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
        return desktop_size(false).width;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
    case SM_CYMAXIMIZED:
        return desktop_size(false).height;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
        return 0;
    case SM_DBCSENABLED: {
        const PlatformLocaleAnswers* answers = platform::injected_locale();
        return answers != nullptr && answers->dbcs_enabled != 0 ? 1 : 0;
    }
    case SM_CXVIRTUALSCREEN:
        return desktop_size(true).width;
    case SM_CYVIRTUALSCREEN:
        return desktop_size(true).height;
    default:
        for (const Metric& metric : kMetrics) {
            if (metric.index == index)
                return metric.value;
        }
        return 0;
    }
}

PLATFORM_API DWORD GetSysColor(int index) noexcept
{
    if (index < 0 || static_cast<size_t>(index) >= kColours.size())
        return 0;
    return kColours[static_cast<size_t>(index)];
}

PLATFORM_API BOOL SystemParametersInfoW(UINT action, UINT /*parameter*/, LPVOID value,
                                        UINT /*win_ini*/) noexcept
{
    if (value == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto answer_uint = [&](UINT answer) {
        *static_cast<UINT*>(value) = answer;
        return TRUE;
    };
    const auto answer_bool = [&](BOOL answer) {
        *static_cast<BOOL*>(value) = answer;
        return TRUE;
    };
    switch (action) {
    case SPI_GETWHEELSCROLLLINES:
    case SPI_GETWHEELSCROLLCHARS:
        return answer_uint(3);
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
        return answer_uint(4);
    case SPI_GETMOUSEHOVERTIME:
        return answer_uint(400);
    case SPI_GETFOCUSBORDERWIDTH:
    case SPI_GETFOCUSBORDERHEIGHT:
        return answer_uint(1);
    case SPI_GETDRAGFULLWINDOWS:
        return answer_bool(TRUE);
    case SPI_GETGRADIENTCAPTIONS:
    case SPI_GETKEYBOARDCUES:
    case SPI_GETFLATMENU:
        return answer_bool(FALSE);
    case SPI_GETWORKAREA:
        *static_cast<RECT*>(value) =
            RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return TRUE;
    default:
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

PLATFORM_API int GetDeviceCaps(HDC hdc, int index) noexcept
{
    const auto* dc = platform::gdi::object_of_kind<platform::gdi::DeviceContext>(hdc);
    if (dc == nullptr)
        return 0;
    bool screen = false;
    {
        const UserLock lock(user_mutex());
        screen = is_screen_dc(hdc);
    }
    const int width = screen ? GetSystemMetrics(SM_CXSCREEN) : dc->surface().width;
    const int height = screen ? GetSystemMetrics(SM_CYSCREEN) : dc->surface().height;
    constexpr double kMillimetresPerInch = 25.4;
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
        return width;
    case VERTRES:
        return height;
    case HORZSIZE:
        return static_cast<int>(width * kMillimetresPerInch / kDotsPerInch + 0.5);
    case VERTSIZE:
        return static_cast<int>(height * kMillimetresPerInch / kDotsPerInch + 0.5);
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kDotsPerInch;
    // Square pixels, in the proportions of a display.
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    default:
        return 0;
    }
}
}
