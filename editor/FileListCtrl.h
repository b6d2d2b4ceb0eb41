#pragma once

#include <QListView>
#include <QPersistentModelIndex>
#include <QStringList>

#include <functional>
#include <memory>

class CFileTreeCtrl;
class QFileSystemModel;
class QMenu;
class QMimeData;
class QSortFilterProxyModel;
class QStandardItemModel;

// The contents of one folder of the file browser: folders first, then files,
// with the filter on only the audio files it accepts. Files open on a new
// track (double-click or "在编辑器中打开") and drag out as file URLs (copy
// only); a folder opens in the linked tree. The folder listed is stored as
// the browser's last folder. The file-system model lists in the background;
// entries whose names the file system's encoding cannot carry are left out.
// GUI thread only.
class CFileListCtrl : public QListView
{
    Q_OBJECT
public:
    enum class ViewStyle { LargeIcons, SmallIcons, List };
    using OpenHandler = std::function<void(const QString& path)>;

    // The model must outlive the list.
    explicit CFileListCtrl(QFileSystemModel* model, QWidget* parent = nullptr);
    ~CFileListCtrl() override;

    // Lists a folder and stores it as the last folder; an empty path lists the
    // computer's places (the home folder and "/").
    void FillList(const QString& folder);
    QString Folder() const { return m_folder; }

    void AddExtension(const QString& extension);
    void ClearExtensions() { m_extensions.clear(); }
    void SetDefaultExtensions();
    // true: only accepted files are listed (folders always are).
    void SetFilter(bool on);
    bool GetFilter() const { return m_filter; }
    void SetLinkedTree(CFileTreeCtrl* tree) { m_tree = tree; }
    void SetOpenHandler(OpenHandler handler) { m_open = std::move(handler); }
    // An extension after a "." that is not the first character, equal to an
    // accepted one in any case; every file when none are set.
    bool IsAcceptedFile(const QString& path) const;

    void SetViewStyle(ViewStyle style);
    ViewStyle GetViewStyle() const { return m_style; }

    // The names listed, in order.
    QStringList Names() const;
    QModelIndex IndexOfName(const QString& name) const;
    QString PathOf(const QModelIndex& index) const;
    bool IsFolder(const QModelIndex& index) const;

    // Double-click: a file opens on a new track, a folder is listed (through
    // the linked tree when there is one).
    void OnDblClk(const QModelIndex& index);
    // What a right click at a viewport point opens: menu 164 for an accepted
    // file (the item remembered), none otherwise.
    QMenu* PrepareContextMenu(const QPoint& pos);
    // "在编辑器中打开" on the remembered item.
    void OnOpenInEditor();
    // What dragging an item offers: a file as a file URL; none for a folder.
    std::unique_ptr<QMimeData> DragData(const QModelIndex& index) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    class Filter;

    QFileSystemModel* m_model;
    Filter* m_proxy;
    QStandardItemModel* m_places;
    CFileTreeCtrl* m_tree = nullptr;
    OpenHandler m_open;
    QStringList m_extensions; // lower case
    bool m_filter = false;
    QString m_folder;
    ViewStyle m_style = ViewStyle::List;
    QMenu* m_menu;
    QPersistentModelIndex m_remembered;
};
