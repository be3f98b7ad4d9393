/*
 * System metrics, colours and parameters, and device capabilities: the subset of
 * Win32 that the viewer, its controls and the framework stand-in ask for.
 *
 * Provided here: GetSystemMetrics, GetSysColor, SystemParametersInfoW and
 * GetDeviceCaps. Every answer comes from one fixed table at 96 dots per inch (the
 * classic desktop's sizes and colours), so that tests and desktops see the same
 * numbers; only the desktop size follows the screens of the program's Qt application
 * (1920 by 1080 without one, or what platform::test::SetDesktopSize set), and
 * SM_DBCSENABLED the locale's code page (locale_info.h).
 */
#ifndef PLATFORM_SYSTEM_METRICS_H
#define PLATFORM_SYSTEM_METRICS_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_SWAPBUTTON 23
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXSIZE 30
#define SM_CYSIZE 31
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXMINTRACK 34
#define SM_CYMINTRACK 35
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_DBCSENABLED 42
#define SM_CMOUSEBUTTONS 43
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_CXDRAG 68
#define SM_CYDRAG 69
#define SM_MOUSEWHEELPRESENT 75
#define SM_XVIRTUALSCREEN 76
#define SM_YVIRTUALSCREEN 77
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80
#define SM_CXFOCUSBORDER 83
#define SM_CYFOCUSBORDER 84

/* The metric, or 0 for an index that the table does not hold. */
PLATFORM_API int GetSystemMetrics(int index) PLATFORM_NOEXCEPT;

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT

/* The colour (0x00BBGGRR) of a COLOR_ index; 0 for an index without one. */
PLATFORM_API DWORD GetSysColor(int index) PLATFORM_NOEXCEPT;

#define SPI_GETDRAGFULLWINDOWS 0x0026
#define SPI_GETWORKAREA 0x0030
#define SPI_GETMOUSEHOVERWIDTH 0x0062
#define SPI_GETMOUSEHOVERHEIGHT 0x0064
#define SPI_GETMOUSEHOVERTIME 0x0066
#define SPI_GETWHEELSCROLLLINES 0x0068
#define SPI_GETWHEELSCROLLCHARS 0x006C
#define SPI_GETGRADIENTCAPTIONS 0x1008
#define SPI_GETKEYBOARDCUES 0x100A
#define SPI_GETFLATMENU 0x1022
#define SPI_GETFOCUSBORDERWIDTH 0x200E
#define SPI_GETFOCUSBORDERHEIGHT 0x2010

/*
 * Answers the queries above into `value`: a UINT (wheel lines and characters 3, hover
 * width and height 4, hover time 400 ms, focus border 1), a BOOL (full-window drags
 * TRUE, gradient captions, keyboard cues and flat menus FALSE) or, for
 * SPI_GETWORKAREA, a RECT (the desktop). FALSE with ERROR_INVALID_PARAMETER for a NULL
 * value or another action; nothing is ever set.
 */
PLATFORM_API BOOL SystemParametersInfoW(UINT action, UINT parameter, LPVOID value,
                                        UINT win_ini) PLATFORM_NOEXCEPT;

#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define DT_RASDISPLAY 1
#define RC_BITBLT 0x0001
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800

/* A capability of the DC: 96 dots per inch, 32 bits per pixel in one plane, the size
 * of its surface (the desktop for the screen DC of GetDC(NULL)). 0 for another index
 * or a DC that does not exist. */
PLATFORM_API int GetDeviceCaps(HDC dc, int index) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
