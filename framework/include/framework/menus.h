// Popup menus and their items. A popup menu is shown as a QMenu built from its items
// when it pops up; the chosen item's OnClick runs after the menu has closed, so the
// handler sees the program as it was before the menu opened. An item whose caption is
// "-" is a separator.
#ifndef FRAMEWORK_MENUS_H
#define FRAMEWORK_MENUS_H

#include "framework/classes.h"
#include "framework/types.h"

#include <QtCore/QString>

#include <vector>

class QMenu;

namespace fw {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    // Takes the item out of its parent item; frees the items it holds.
    ~TMenuItem() override;

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    bool IsLine() const { return m_caption == QStringLiteral("-"); }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value) { m_visible = value; }
    bool Checked() const { return m_checked; }
    void SetChecked(bool value) { m_checked = value; }
    bool Default() const { return m_default; }
    void SetDefault(bool value) { m_default = value; }

    // The items below this one (a submenu when there are any).
    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises EMenuError "Menu index out of range" outside 0 .. Count - 1.
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return m_parent; }
    int MenuIndex() const;
    // Takes the item (out of any other parent); the parent frees it unless it has an
    // owner that does.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees every item below this one.
    void Clear();

    // Raises OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

private:
    QString m_caption;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_checked = false;
    bool m_default = false;
    TMenuItem* m_parent = nullptr;
    std::vector<TMenuItem*> m_items;
};

FW_DECLARE_EXCEPTION(EMenuError, Exception);

enum TMenuAutoFlag {
    maAutomatic,
    maManual,
    maParent
};
enum TPopupAlignment {
    paLeft,
    paRight,
    paCenter
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The root item; the menu's entries are its items.
    TMenuItem* Items() const { return m_items; }
    // Kept only: captions are shown as they are (an '&' marks the key of an entry).
    TMenuAutoFlag AutoHotkeys() const { return m_auto_hotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag flag) { m_auto_hotkeys = flag; }
    TMenuAutoFlag AutoLineReduction() const { return m_auto_line_reduction; }
    void SetAutoLineReduction(TMenuAutoFlag flag) { m_auto_line_reduction = flag; }
    TPopupAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TPopupAlignment alignment) { m_alignment = alignment; }
    // A right click on a control with this menu pops it up.
    bool AutoPopup() const { return m_auto_popup; }
    void SetAutoPopup(bool value) { m_auto_popup = value; }
    // The control whose context menu it is, while it pops up from there.
    TComponent* PopupComponent() const { return m_popup_component; }
    void SetPopupComponent(TComponent* component);

    // OnPopup, then the menu at the screen point until it closes, then the chosen
    // item's OnClick.
    virtual void Popup(int x, int y);
    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* m_items;
    TMenuAutoFlag m_auto_hotkeys = maAutomatic;
    TMenuAutoFlag m_auto_line_reduction = maAutomatic;
    TPopupAlignment m_alignment = paLeft;
    bool m_auto_popup = true;
    TComponent* m_popup_component = nullptr;
};

}

#endif
