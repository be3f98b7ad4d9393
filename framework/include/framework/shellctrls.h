// The folder tree: the file system's folders in a QTreeView over a QFileSystemModel,
// placed in the control's window (while the program has a QApplication; without one
// the control only keeps its Path).
//
// There is no desktop-rooted shell namespace here: the tree's one top-level item is
// "/", expanded, and every folder below it can be opened. Setting Path selects that
// folder at once (the model builds the items along the path then and there) and raises
// OnChange; the items below a folder arrive later, from the model's own thread.
#ifndef FRAMEWORK_SHELLCTRLS_H
#define FRAMEWORK_SHELLCTRLS_H

#include "framework/classes.h"
#include "framework/controls.h"
#include "framework/types.h"

#include <QtCore/QPointer>
#include <QtCore/QString>

#include <functional>

class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace fw {

enum TShellObjectType {
    otFolders,
    otNonFolders,
    otHidden
};
using TShellObjectTypes = TSet<TShellObjectType>;

// The tree's current item.
class TTreeNode {
public:
    const QString& Text() const { return m_text; }
    // The folder's full path.
    const QString& Path() const { return m_path; }

private:
    friend class TShellTreeView;
    QString m_text;
    QString m_path;
};

using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;

class TShellTreeView : public TWinControl {
public:
    explicit TShellTreeView(TComponent* owner);
    ~TShellTreeView() override;

    TShellObjectTypes ObjectTypes() const { return m_object_types; }
    void SetObjectTypes(TShellObjectTypes types);
    // The root's name ("rfDesktop"): kept only; the tree starts at "/".
    const QString& Root() const { return m_root; }
    void SetRoot(const QString& root) { m_root = root; }
    // Kept only: folders show Qt's folder icons.
    bool UseShellImages() const { return m_use_shell_images; }
    void SetUseShellImages(bool value) { m_use_shell_images = value; }
    // Whether the tree follows changes made to the folders by others.
    bool AutoRefresh() const { return m_auto_refresh; }
    void SetAutoRefresh(bool value);
    TBorderStyle BorderStyle() const { return m_border_style; }
    void SetBorderStyle(TBorderStyle style);
    // The selection stays visible without the focus (the palette's inactive colours
    // are its active ones); kept for the form's settings.
    bool HideSelection() const { return m_hide_selection; }
    void SetHideSelection(bool value) { m_hide_selection = value; }
    // A right click selects the item (Qt's way too).
    bool RightClickSelect() const { return m_right_click_select; }
    void SetRightClickSelect(bool value) { m_right_click_select = value; }
    // Expand handles on the top-level item.
    bool ShowRoot() const { return m_show_root; }
    void SetShowRoot(bool value);
    int Indent() const { return m_indent; }
    void SetIndent(int indent);

    // The selected folder's full path. Setting it to a folder that exists selects it
    // and raises OnChange; a path that names no folder changes nothing.
    QString Path() const;
    void SetPath(const QString& path);
    TTreeNode* Selected() { return m_path.isEmpty() ? nullptr : &m_node; }

    TTVChangedEvent OnChange;

    // The view and its model while the window holds them, else nullptr.
    QTreeView* TreeView() const { return m_view != nullptr ? m_view_widget : nullptr; }
    QFileSystemModel* Model() const { return m_view != nullptr ? m_model : nullptr; }

protected:
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    void apply_settings();
    void current_changed(const QModelIndex& current);

    TShellObjectTypes m_object_types{otFolders};
    QString m_root = QStringLiteral("rfDesktop");
    bool m_use_shell_images = true;
    bool m_auto_refresh = false;
    TBorderStyle m_border_style = bsSingle;
    bool m_hide_selection = true;
    bool m_right_click_select = false;
    bool m_show_root = true;
    int m_indent = 19;
    QString m_path;
    TTreeNode m_node;
    // Guards m_view_widget and m_model: the window's end takes the view with it.
    QPointer<QObject> m_view;
    QTreeView* m_view_widget = nullptr;
    QFileSystemModel* m_model = nullptr;
};

}

#endif
