#include "editor/FileTreeCtrl.h"

#include "platform/AppSettings.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileSystemModel>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;   // the name under its parent folder
constexpr int kFilledRole = Qt::UserRole + 2; // children taken from the model

// A name the file system's encoding could not carry decodes with the
// replacement character; the path built from it would name nothing.
bool IsReadableName(const QString& name)
{
    return !name.contains(QChar::ReplacementCharacter);
}

} // namespace

const char* const CFileTreeCtrl::kStoredFolderKey = "LPID";

CFileTreeCtrl::CFileTreeCtrl(QFileSystemModel* model, QWidget* parent)
    : QTreeWidget(parent), m_model(model)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    connect(this, &QTreeWidget::itemExpanded, this, &CFileTreeCtrl::FillChildren);
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (item == RootItem())
            expandItem(item); // the root stays open
    });
    connect(this, &QTreeWidget::currentItemChanged, this, &CFileTreeCtrl::OnCurrentChanged);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &CFileTreeCtrl::OnDirectoryLoaded);
    const auto changedUnder = [this](const QModelIndex& parent) {
        SyncFilled(m_model->filePath(parent));
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, changedUnder);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, changedUnder);
}

QString CFileTreeCtrl::PathOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

QTreeWidgetItem* CFileTreeCtrl::NewItem(const QString& text, const QIcon& icon,
                                        const QString& path)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, icon);
    item->setData(0, kPathRole, path);
    item->setData(0, kNameRole, path.isEmpty() ? QString() : QDir(path).dirName());
    // Whether a folder has sub-folders is known once the model has read it.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void CFileTreeCtrl::AddPlaces()
{
    const QFileIconProvider icons;
    QTreeWidgetItem* root = NewItem(QStringLiteral("计算机"),
                                    icons.icon(QAbstractFileIconProvider::Computer), QString());
    addTopLevelItem(root);
    root->addChild(NewItem(QStringLiteral("主文件夹"),
                           icons.icon(QAbstractFileIconProvider::Folder), QDir::homePath()));
    root->addChild(NewItem(QStringLiteral("文件系统"),
                           icons.icon(QAbstractFileIconProvider::Drive), QDir::rootPath()));
    root->setData(0, kFilledRole, true);
    expandItem(root);
}

bool CFileTreeCtrl::BuildTree()
{
    // Read first: selecting the root lists it, which stores it.
    const QString stored = AppSettings().Value(QString::fromLatin1(kStoredFolderKey)).toString();
    m_walk = Walk();
    clear();
    AddPlaces();
    SelectByWalk(RootItem());
    WalkTo(stored);
    return true;
}

void CFileTreeCtrl::FillChildren(QTreeWidgetItem* item)
{
    if (!item || item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    // Asks the model to read the folder (in the background) and takes what it
    // already knows; the rest arrives with its notices.
    const QModelIndex index = m_model->index(PathOf(item));
    if (index.isValid() && m_model->canFetchMore(index))
        m_model->fetchMore(index);
    SyncChildren(item);
}

QTreeWidgetItem* CFileTreeCtrl::ChildNamed(const QTreeWidgetItem* item, const QString& name)
{
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->data(0, kNameRole).toString() == name)
            return item->child(i);
    }
    return nullptr;
}

void CFileTreeCtrl::SyncChildren(QTreeWidgetItem* item)
{
    const QString path = PathOf(item);
    const QModelIndex parent = m_model->index(path);
    if (!parent.isValid())
        return;
    QStringList names;
    QList<QModelIndex> rows;
    for (int r = 0; r < m_model->rowCount(parent); ++r) {
        const QModelIndex index = m_model->index(r, 0, parent);
        const QString name = m_model->fileName(index);
        if (!m_model->isDir(index) || !IsReadableName(name))
            continue;
        names << name;
        rows << index;
    }
    const QSet<QString> wanted(names.begin(), names.end());
    for (int i = item->childCount() - 1; i >= 0; --i) {
        if (!wanted.contains(item->child(i)->data(0, kNameRole).toString()))
            delete item->takeChild(i);
    }
    // Children stay sorted by name as the desktop sorts them; an item never
    // moves, so the selection stays where it is while a folder is read.
    for (int i = 0; i < names.size(); ++i) {
        if (ChildNamed(item, names[i]))
            continue;
        int at = 0;
        while (at < item->childCount() &&
               m_collator.compare(item->child(at)->data(0, kNameRole).toString(), names[i]) < 0)
            ++at;
        item->insertChild(at, NewItem(m_model->data(rows[i]).toString(),
                                      m_model->fileIcon(rows[i]), m_model->filePath(rows[i])));
    }
    if (m_loaded.contains(path))
        item->setChildIndicatorPolicy(names.isEmpty()
                                          ? QTreeWidgetItem::DontShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QList<QTreeWidgetItem*> CFileTreeCtrl::ItemsForPath(const QString& path) const
{
    QList<QTreeWidgetItem*> found;
    const QTreeWidgetItem* root = RootItem();
    if (!root || path.isEmpty())
        return found;
    for (int p = 0; p < root->childCount(); ++p) {
        QTreeWidgetItem* item = root->child(p);
        const QString place = PathOf(item);
        if (path != place) {
            const QString prefix = place.endsWith(u'/') ? place : place + u'/';
            if (!path.startsWith(prefix))
                continue;
            const QStringList parts = path.mid(prefix.size()).split(u'/', Qt::SkipEmptyParts);
            for (const QString& part : parts) {
                item = ChildNamed(item, part);
                if (!item)
                    break;
            }
        }
        if (item)
            found << item;
    }
    return found;
}

void CFileTreeCtrl::SyncFilled(const QString& path)
{
    for (QTreeWidgetItem* item : ItemsForPath(path)) {
        if (item->data(0, kFilledRole).toBool())
            SyncChildren(item);
    }
}

void CFileTreeCtrl::OnDirectoryLoaded(const QString& path)
{
    m_loaded.insert(path);
    SyncFilled(path);
    if (m_walk.active)
        ContinueWalk();
}

bool CFileTreeCtrl::SelectChildByPath(const QString& path)
{
    QTreeWidgetItem* current = currentItem();
    if (!current)
        return false;
    expandItem(current);
    for (int i = 0; i < current->childCount(); ++i) {
        if (PathOf(current->child(i)) == path) {
            setCurrentItem(current->child(i));
            return true;
        }
    }
    return false;
}

void CFileTreeCtrl::RefreshItem(QTreeWidgetItem* item)
{
    if (!item || item == RootItem())
        return;
    setUpdatesEnabled(false);
    collapseItem(item);
    for (QTreeWidgetItem* child : item->takeChildren())
        delete child;
    item->setData(0, kFilledRole, false);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    expandItem(item);
    setUpdatesEnabled(true);
}

void CFileTreeCtrl::OnCurrentChanged()
{
    // The user's own choice ends the walk back to the stored folder.
    if (!m_walkSelecting && m_walk.active)
        EndWalk();
}

void CFileTreeCtrl::SelectByWalk(QTreeWidgetItem* item)
{
    m_walkSelecting = true;
    setCurrentItem(item);
    m_walkSelecting = false;
}

void CFileTreeCtrl::WalkTo(const QString& stored)
{
    const QString target = QDir::cleanPath(stored);
    QTreeWidgetItem* root = RootItem();
    if (stored.isEmpty() || !target.startsWith(u'/') || root->childCount() < 2)
        return;
    // Below the home folder the walk goes through it, elsewhere through "/".
    const QString home = QDir::homePath();
    QTreeWidgetItem* place = root->child(1);
    QString below = target;
    if (target == home || target.startsWith(home + u'/')) {
        place = root->child(0);
        below = target.mid(home.size());
    }
    m_walk.active = true;
    m_walk.parts = below.split(u'/', Qt::SkipEmptyParts);
    m_walk.next = 0;
    SelectByWalk(place);
    ContinueWalk();
}

void CFileTreeCtrl::ContinueWalk()
{
    while (m_walk.active) {
        QTreeWidgetItem* current = currentItem();
        if (!current || m_walk.next >= m_walk.parts.size()) {
            EndWalk();
            return;
        }
        expandItem(current);
        FillChildren(current);
        if (QTreeWidgetItem* child = ChildNamed(current, m_walk.parts[m_walk.next])) {
            SelectByWalk(child);
            ++m_walk.next;
            continue;
        }
        // Read and the level is missing: the deepest existing folder stays.
        if (m_loaded.contains(PathOf(current)))
            EndWalk();
        return; // otherwise the model's notice of this folder continues the walk
    }
}

void CFileTreeCtrl::EndWalk()
{
    m_walk.active = false;
    if (QTreeWidgetItem* current = currentItem())
        scrollToItem(current);
    emit restoreFinished();
}
