#include "listview/common/theme_manager.h"

#include "framework/controls.h"
#include "platform/user_paint.h"

namespace vistrel::listview {

TLqCommonThemeManager::TLqCommonThemeManager(fw::TWinControl* AnOwner) : m_owner(AnOwner)
{
}

TLqCommonThemeManager::~TLqCommonThemeManager()
{
    // Qualified: a derived class is gone by now.
    TLqCommonThemeManager::ThemesFree();
}

void TLqCommonThemeManager::ThemesLoad()
{
    if (m_owner == nullptr || !m_owner->HandleAllocated())
        return;
    if (UseThemes()) {
        // No theme engine exists to open the classes with; they would all stay 0.
        ThemesFree();
        m_loaded = true;
    }
    RedrawWindow(m_owner->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME);
}

void TLqCommonThemeManager::ThemesFree()
{
    m_loaded = false;
    // Open handles would be closed here in class order; none is ever opened.
    m_themes.fill(nullptr);
}

}
