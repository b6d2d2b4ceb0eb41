#include "editor/FileListCtrl.h"

#include "editor/FileTreeCtrl.h"
#include "platform/AppSettings.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QMenu>
#include <QMimeData>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QUrl>

namespace {
constexpr int kPlacePathRole = Qt::UserRole;
} // namespace

// Keeps the listed folder's entries that the list shows; the model's other
// rows pass untouched, so the folder can be reached from the top.
class CFileListCtrl::Filter : public QSortFilterProxyModel
{
public:
    Filter(const CFileListCtrl& list, QObject* parent)
        : QSortFilterProxyModel(parent), m_list(list)
    {
    }
    void SetFolder(const QModelIndex& folder)
    {
        m_folder = folder;
        invalidateFilter();
    }
    void Refilter() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (!m_folder.isValid() || parent != m_folder)
            return true;
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex index = model->index(row, 0, parent);
        const QString name = model->fileName(index);
        if (name.contains(QChar::ReplacementCharacter))
            return false; // the encoding cannot carry it: no path would reach it
        if (model->isDir(index))
            return true;
        return !m_list.GetFilter() || m_list.IsAcceptedFile(name);
    }

private:
    const CFileListCtrl& m_list;
    QPersistentModelIndex m_folder;
};

CFileListCtrl::CFileListCtrl(QFileSystemModel* model, QWidget* parent)
    : QListView(parent), m_model(model), m_proxy(new Filter(*this, this)),
      m_places(new QStandardItemModel(this)), m_menu(new QMenu(this))
{
    m_proxy->setSourceModel(m_model);
    const QFileIconProvider icons;
    auto* home = new QStandardItem(icons.icon(QAbstractFileIconProvider::Folder),
                                   QStringLiteral("主文件夹"));
    home->setData(QDir::homePath(), kPlacePathRole);
    auto* root = new QStandardItem(icons.icon(QAbstractFileIconProvider::Drive),
                                   QStringLiteral("文件系统"));
    root->setData(QDir::rootPath(), kPlacePathRole);
    for (QStandardItem* item : {home, root})
        item->setEditable(false);
    m_places->appendRow(home);
    m_places->appendRow(root);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetViewStyle(ViewStyle::List);
    connect(m_menu->addAction(QStringLiteral("在编辑器中打开")), &QAction::triggered, this,
            &CFileListCtrl::OnOpenInEditor);
    connect(this, &QAbstractItemView::doubleClicked, this, &CFileListCtrl::OnDblClk);
}

CFileListCtrl::~CFileListCtrl() = default;

void CFileListCtrl::FillList(const QString& folder)
{
    m_folder = folder;
    m_remembered = QPersistentModelIndex();
    if (folder.isEmpty()) {
        if (model() != m_places)
            setModel(m_places);
        setRootIndex(QModelIndex());
    } else {
        const QModelIndex source = m_model->index(folder);
        if (!source.isValid()) {
            // A folder the model does not know shows empty: a place has no rows.
            if (model() != m_places)
                setModel(m_places);
            setRootIndex(m_places->index(0, 0));
        } else {
            if (model() != m_proxy)
                setModel(m_proxy);
            if (m_model->canFetchMore(source))
                m_model->fetchMore(source);
            m_proxy->SetFolder(source);
            setRootIndex(m_proxy->mapFromSource(source));
        }
    }
    AppSettings().SetValue(QString::fromLatin1(CFileTreeCtrl::kStoredFolderKey), folder);
}

void CFileListCtrl::AddExtension(const QString& extension)
{
    m_extensions << extension.toLower();
}

void CFileListCtrl::SetDefaultExtensions()
{
    m_extensions = {QStringLiteral("mp3"), QStringLiteral("ogg"), QStringLiteral("wav"),
                    QStringLiteral("wma")};
}

void CFileListCtrl::SetFilter(bool on)
{
    m_filter = on;
    m_proxy->Refilter();
}

bool CFileListCtrl::IsAcceptedFile(const QString& path) const
{
    if (m_extensions.isEmpty())
        return true;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.indexOf(u'.', 1) < 0)
        return false;
    const QString extension = name.mid(name.lastIndexOf(u'.') + 1);
    return m_extensions.contains(extension, Qt::CaseInsensitive);
}

void CFileListCtrl::SetViewStyle(ViewStyle style)
{
    m_style = style;
    if (style == ViewStyle::LargeIcons) {
        setViewMode(QListView::IconMode);
        setIconSize(QSize(32, 32));
        setFlow(QListView::LeftToRight);
    } else {
        setViewMode(QListView::ListMode);
        setIconSize(QSize(16, 16));
        setFlow(style == ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
    }
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    // Icon mode makes items movable; here they are only dragged out.
    setMovement(QListView::Static);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList CFileListCtrl::Names() const
{
    QStringList names;
    if (!model())
        return names;
    for (int r = 0; r < model()->rowCount(rootIndex()); ++r)
        names << model()->index(r, 0, rootIndex()).data().toString();
    return names;
}

QModelIndex CFileListCtrl::IndexOfName(const QString& name) const
{
    if (!model())
        return QModelIndex();
    for (int r = 0; r < model()->rowCount(rootIndex()); ++r) {
        const QModelIndex index = model()->index(r, 0, rootIndex());
        if (index.data().toString() == name)
            return index;
    }
    return QModelIndex();
}

QString CFileListCtrl::PathOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return QString();
    if (index.model() == m_places)
        return index.data(kPlacePathRole).toString();
    return m_model->filePath(m_proxy->mapToSource(index));
}

bool CFileListCtrl::IsFolder(const QModelIndex& index) const
{
    if (!index.isValid())
        return false;
    return index.model() == m_places || m_model->isDir(m_proxy->mapToSource(index));
}

void CFileListCtrl::OnDblClk(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString path = PathOf(index);
    if (!IsFolder(index)) {
        if (m_open)
            m_open(path);
    } else if (m_tree) {
        m_tree->SelectChildByPath(path);
    } else {
        FillList(path);
    }
}

QMenu* CFileListCtrl::PrepareContextMenu(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return nullptr;
    m_remembered = index;
    if (IsFolder(index) || !IsAcceptedFile(PathOf(index)))
        return nullptr;
    return m_menu;
}

void CFileListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = PrepareContextMenu(event->pos()))
        menu->popup(event->globalPos());
    event->accept();
}

void CFileListCtrl::OnOpenInEditor()
{
    if (m_remembered.isValid() && !IsFolder(m_remembered) && m_open)
        m_open(PathOf(m_remembered));
}

std::unique_ptr<QMimeData> CFileListCtrl::DragData(const QModelIndex& index) const
{
    if (!index.isValid() || IsFolder(index))
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(PathOf(index))});
    return data;
}

void CFileListCtrl::startDrag(Qt::DropActions)
{
    const QModelIndex index = currentIndex();
    std::unique_ptr<QMimeData> data = DragData(index);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->setPixmap(index.data(Qt::DecorationRole).value<QIcon>().pixmap(iconSize()));
    drag->exec(Qt::CopyAction);
}
