#pragma once

#include <QCollator>
#include <QSet>
#include <QStringList>
#include <QTreeWidget>

class QFileSystemModel;

// The folder tree of the file browser. Its root stands for the computer and
// holds the user's home folder and the file system's root "/"; below them it
// mirrors the folders of a file-system model, which lists and watches them in
// the background. A folder's children are filled when it is first expanded.
// Entries whose names the file system's encoding cannot carry are left out.
// GUI thread only.
class CFileTreeCtrl : public QTreeWidget
{
    Q_OBJECT
public:
    // The model must outlive the tree; it lists files too (the tree shows
    // only folders).
    explicit CFileTreeCtrl(QFileSystemModel* model, QWidget* parent = nullptr);

    // The settings key of the folder last listed.
    static const char* const kStoredFolderKey;

    // Fills the root and selects it, then walks back to the stored folder:
    // level by level, each folder listed by the model, down to its deepest
    // existing ancestor. The walk ends when a level is missing or the user
    // picks another folder; nothing here waits for a folder to be read.
    bool BuildTree();
    bool IsRestoring() const { return m_walk.active; }

    QTreeWidgetItem* RootItem() const { return topLevelItem(0); }
    // A folder item's path; empty for the root.
    static QString PathOf(const QTreeWidgetItem* item);
    // Expands the selected item and selects its child with that path; false
    // when it has no such child (yet).
    bool SelectChildByPath(const QString& path);
    // Forgets the item's children and fills them again.
    void RefreshItem(QTreeWidgetItem* item);

signals:
    // The walk back to the stored folder ended.
    void restoreFinished();

private:
    void AddPlaces();
    QTreeWidgetItem* NewItem(const QString& text, const QIcon& icon, const QString& path);
    void FillChildren(QTreeWidgetItem* item);
    // Makes the item's children the folders the model lists under its path.
    void SyncChildren(QTreeWidgetItem* item);
    void SyncFilled(const QString& path);
    QList<QTreeWidgetItem*> ItemsForPath(const QString& path) const;
    static QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* item, const QString& name);
    void OnDirectoryLoaded(const QString& path);
    void OnCurrentChanged();
    void WalkTo(const QString& stored);
    void ContinueWalk();
    void EndWalk();
    void SelectByWalk(QTreeWidgetItem* item);

    QFileSystemModel* m_model;
    QCollator m_collator;
    QSet<QString> m_loaded; // folders the model has read at least once
    struct Walk
    {
        bool active = false;
        QStringList parts; // below the place it starts from
        int next = 0;
    } m_walk;
    bool m_walkSelecting = false;
};
