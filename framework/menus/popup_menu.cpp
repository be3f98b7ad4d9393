// Menu items and popup menus on QMenu.

#include "framework/menus.h"
#include "platform/qt.h"

#include <QtCore/QPoint>
#include <QtGui/QAction>
#include <QtGui/QFont>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>

#include <algorithm>
#include <map>
#include <memory>

namespace fw {

// ---- TMenuItem ---------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
}

TMenuItem::~TMenuItem()
{
    if (m_parent != nullptr)
        m_parent->Remove(this);
    // Each item leaves this list (and its owner's) as it goes, so none is freed twice,
    // whichever of owner and parent goes first.
    while (!m_items.empty())
        Free(m_items.back());
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EMenuError(QStringLiteral("Menu index out of range"));
    return m_items[static_cast<size_t>(index)];
}

int TMenuItem::MenuIndex() const
{
    if (m_parent == nullptr)
        return -1;
    const auto& siblings = m_parent->m_items;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (item == nullptr)
        return;
    for (const TMenuItem* above = this; above != nullptr; above = above->m_parent) {
        if (above == item)
            throw EMenuError(QStringLiteral("Menu inserted twice"));
    }
    if (item->m_parent != nullptr)
        item->m_parent->Remove(item);
    if (index < 0 || index > Count())
        throw EMenuError(QStringLiteral("Menu index out of range"));
    m_items.insert(m_items.begin() + index, item);
    item->m_parent = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    if (item == nullptr || item->m_parent != this)
        return;
    std::erase(m_items, item);
    item->m_parent = nullptr;
}

void TMenuItem::Delete(int index)
{
    Remove(Items(index));
}

void TMenuItem::Clear()
{
    while (!m_items.empty())
        Free(m_items.back());
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

// ---- TPopupMenu --------------------------------------------------------------------------------

namespace {

using ActionItems = std::map<const QAction*, TMenuItem*>;

void build_menu(QMenu& menu, const TMenuItem& parent, ActionItems& items)
{
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible())
            continue;
        if (item->IsLine()) {
            menu.addSeparator();
            continue;
        }
        if (item->Count() > 0) {
            QMenu* submenu = menu.addMenu(item->Caption());
            submenu->setEnabled(item->Enabled());
            build_menu(*submenu, *item, items);
            continue;
        }
        QAction* action = menu.addAction(item->Caption());
        action->setEnabled(item->Enabled());
        if (item->Checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item->Default()) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
        items.emplace(action, item);
    }
}

bool holds(const TMenuItem& parent, const TMenuItem* wanted)
{
    for (int i = 0; i < parent.Count(); ++i) {
        const TMenuItem* item = parent.Items(i);
        if (item == wanted || holds(*item, wanted))
            return true;
    }
    return false;
}

}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(nullptr))
{
}

TPopupMenu::~TPopupMenu()
{
    Free(m_items);
}

void TPopupMenu::SetPopupComponent(TComponent* component)
{
    if (m_popup_component != nullptr)
        m_popup_component->RemoveFreeNotification(this);
    m_popup_component = component;
    if (component != nullptr)
        component->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_popup_component)
        m_popup_component = nullptr;
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup(this);
    TMenuItem* chosen = nullptr;
    {
        std::unique_ptr<QMenu> menu;
        ActionItems items;
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            menu = std::make_unique<QMenu>();
            build_menu(*menu, *m_items, items);
        }
        int index = -1;
        if (platform::test::ConsumeMenuChoice(&index)) {
            // The answer a test chose: the entry at that place among the items.
            if (index >= 0 && index < m_items->Count()) {
                TMenuItem* item = m_items->Items(index);
                if (item->Visible() && item->Enabled() && !item->IsLine() && item->Count() == 0)
                    chosen = item;
            }
        } else if (menu != nullptr && !menu->isEmpty()) {
            const QAction* action = menu->exec(QPoint(x, y));
            if (const auto found = items.find(action); found != items.end())
                chosen = found->second;
        }
    }
    // The menu has closed; a handler of OnPopup or of the menu's time may have taken
    // the item away.
    if (chosen != nullptr && holds(*m_items, chosen))
        chosen->Click();
}

}
