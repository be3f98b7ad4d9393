// The folder tree on QTreeView and QFileSystemModel.

#include "framework/shellctrls.h"
#include "framework/forms.h"
#include "forms/guarded_call.h"
#include "framework/sysutils.h"
#include "platform/qt.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtGui/QFileSystemModel>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTreeView>

namespace fw {

TShellTreeView::TShellTreeView(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TShellTreeView::~TShellTreeView()
{
    // The view belongs to the window and goes with it; it must not call back here.
    if (TreeView() != nullptr && TreeView()->selectionModel() != nullptr)
        QObject::disconnect(TreeView()->selectionModel(), nullptr, nullptr, nullptr);
}

void TShellTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        platform::WidgetOf(Handle()) == nullptr)
        return;
    auto* view = new QTreeView;
    auto* model = new QFileSystemModel(view);
    model->setRootPath(QStringLiteral("/"));
    view->setModel(model);
    for (int column = 1; column < model->columnCount(); ++column)
        view->hideColumn(column);
    view->header()->hide();
    view->setSortingEnabled(true);
    view->sortByColumn(0, Qt::AscendingOrder);
    if (!platform::HostWidget(Handle(), view)) {
        delete view;
        return;
    }
    m_view = view;
    m_view_widget = view;
    m_model = model;
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [this](const QModelIndex& current, const QModelIndex&) noexcept {
                         forms::guarded_call(this, [&] { current_changed(current); });
                     });
    apply_settings();
    view->expand(model->index(QStringLiteral("/")));
    if (!m_path.isEmpty()) {
        const QModelIndex index = model->index(m_path);
        if (index.isValid())
            view->setCurrentIndex(index);
    }
}

void TShellTreeView::DestroyWnd()
{
    if (TreeView() != nullptr && TreeView()->selectionModel() != nullptr)
        QObject::disconnect(TreeView()->selectionModel(), nullptr, nullptr, nullptr);
    m_view = nullptr;
    m_view_widget = nullptr;
    m_model = nullptr;
    TWinControl::DestroyWnd();
}

void TShellTreeView::apply_settings()
{
    if (m_view == nullptr)
        return;
    QDir::Filters filter = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
    if (m_object_types.Contains(otNonFolders))
        filter |= QDir::Files;
    if (m_object_types.Contains(otHidden))
        filter |= QDir::Hidden;
    Model()->setFilter(filter);
    Model()->setOption(QFileSystemModel::DontWatchForChanges, !m_auto_refresh);
    TreeView()->setRootIsDecorated(m_show_root);
    TreeView()->setIndentation(m_indent);
    TreeView()->setFrameShape(m_border_style == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

void TShellTreeView::SetObjectTypes(TShellObjectTypes types)
{
    m_object_types = types;
    apply_settings();
}

void TShellTreeView::SetAutoRefresh(bool value)
{
    m_auto_refresh = value;
    apply_settings();
}

void TShellTreeView::SetBorderStyle(TBorderStyle style)
{
    m_border_style = style;
    apply_settings();
}

void TShellTreeView::SetShowRoot(bool value)
{
    m_show_root = value;
    apply_settings();
}

void TShellTreeView::SetIndent(int indent)
{
    m_indent = indent;
    apply_settings();
}

QString TShellTreeView::Path() const
{
    if (m_view != nullptr && TreeView()->currentIndex().isValid())
        return Model()->filePath(TreeView()->currentIndex());
    return m_path;
}

void TShellTreeView::SetPath(const QString& path)
{
    QString folder = QDir::cleanPath(path);
    if (!QFileInfo(folder).isDir())
        return;
    if (m_view == nullptr) {
        if (folder == m_path)
            return;
        m_path = folder;
        m_node.m_path = folder;
        m_node.m_text = QFileInfo(folder).fileName();
        if (OnChange)
            OnChange(this, &m_node);
        return;
    }
    // The model builds the items along the path now, so the index is there at once.
    const QModelIndex index = Model()->index(folder);
    if (!index.isValid())
        return;
    TreeView()->setCurrentIndex(index);
    TreeView()->scrollTo(index);
}

void TShellTreeView::current_changed(const QModelIndex& current)
{
    if (!current.isValid() || m_model == nullptr)
        return;
    m_path = Model()->filePath(current);
    m_node.m_path = m_path;
    m_node.m_text = Model()->fileName(current);
    if (OnChange)
        OnChange(this, &m_node);
}

}
