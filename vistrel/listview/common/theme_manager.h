// The visual-style (theme) data of one window. There are no visual styles here
// (UseThemes is false), so no theme class is ever opened and every handle stays 0;
// the painters take their classic paths.
#ifndef VISTREL_LISTVIEW_COMMON_THEME_MANAGER_H
#define VISTREL_LISTVIEW_COMMON_THEME_MANAGER_H

#include "framework/classes.h"

#include <array>

namespace fw {
class TWinControl;
}

namespace vistrel::listview {

// A handle of opened theme data; nullptr is "not open".
using HTHEME = void*;

// Whether the platform draws with visual styles: never here.
constexpr bool UseThemes()
{
    return false;
}

class TLqCommonThemeManager : public fw::TObject {
public:
    // Keeps the owner (not owned); opens nothing.
    explicit TLqCommonThemeManager(fw::TWinControl* AnOwner);
    // ThemesFree.
    ~TLqCommonThemeManager() override;

    // Opens the theme classes for the owner's window when visual styles are in use
    // (never here) and redraws the window with its frame. Nothing without a window.
    virtual void ThemesLoad();
    // Closes every open handle; Loaded becomes false.
    virtual void ThemesFree();

    fw::TWinControl* Owner() const { return m_owner; }
    bool Loaded() const { return m_loaded; }

    HTHEME ButtonTheme() const { return m_themes[Button]; }
    HTHEME ListviewTheme() const { return m_themes[Listview]; }
    HTHEME HeaderTheme() const { return m_themes[Header]; }
    HTHEME TreeviewTheme() const { return m_themes[Treeview]; }
    HTHEME ExplorerBarTheme() const { return m_themes[ExplorerBar]; }
    HTHEME ComboBoxTheme() const { return m_themes[ComboBox]; }
    HTHEME EditTheme() const { return m_themes[Edit]; }
    HTHEME RebarTheme() const { return m_themes[Rebar]; }
    HTHEME WindowTheme() const { return m_themes[Window]; }
    HTHEME TaskBandTheme() const { return m_themes[TaskBand]; }
    HTHEME TaskBarTheme() const { return m_themes[TaskBar]; }
    HTHEME ScrollbarTheme() const { return m_themes[Scrollbar]; }
    HTHEME ProgressTheme() const { return m_themes[Progress]; }

private:
    // The theme classes, in the order they are opened and closed.
    enum ThemeClass {
        Button,
        Listview,
        Header,
        Treeview,
        ExplorerBar,
        ComboBox,
        Edit,
        Rebar,
        Window,
        TaskBand,
        TaskBar,
        Scrollbar,
        Progress,
        ThemeClassCount
    };

    fw::TWinControl* m_owner;
    bool m_loaded = false;
    std::array<HTHEME, ThemeClassCount> m_themes{};
};

}

#endif
