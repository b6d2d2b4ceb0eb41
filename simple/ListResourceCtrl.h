#pragma once

#include "publish/RingFileList.h"

class QAction;
class QMenu;

// The materials list of Kelvo's main dialog: one row per ".kox" file of the
// data folder's "TempFiles", with a context menu to edit a material as a
// ring, delete and rename it. Editing and double-clicking hand the file to the
// owner (SetOpenHandler); "编辑为彩铃" is greyed while the owner's job runs
// (SetBusyTest). GUI thread only.
class CListResourceCtrl : public CRingFileList
{
    Q_OBJECT
public:
    enum class Command { EditAsRing, Delete, Rename };

    explicit CListResourceCtrl(QWidget* parent = nullptr);

    // Builds the context menu and the row icon; call once.
    void Init();
    // A row at the end for the material name, kept in the file fileName
    // (name + ".kox" when empty).
    void AddItem(const QString& name, const QString& fileName = QString())
    {
        AddRing(name, fileName);
    }

    // What a right click at a viewport point opens: the menu with
    // "编辑为彩铃" set for the busy test, the row remembered; none off the rows.
    QMenu* PrepareContextMenu(const QPoint& pos);
    QAction* MenuAction(Command command) const;

    void OnEditAsRing() { OpenRemembered(); }
    void OnDelete() { DeleteChosen(); }
    void OnRename() { RenameRemembered(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* m_menu = nullptr;
};
