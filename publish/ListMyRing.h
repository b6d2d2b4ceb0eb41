#pragma once

#include "publish/RingFileList.h"

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMimeData;

// The user's ring library: one row per ".kox" file of the ring folder, showing
// the ring's name, with a context menu to upload, open, delete and rename a
// ring, and the ring file dragged out as a file (copy only). Opening and
// uploading are the program's business, handed in as callbacks. GUI thread
// only, AddRing included.
class CListMyRing : public CRingFileList
{
    Q_OBJECT
public:
    // The commands of the context menu.
    enum class Command { Upload, Edit, Delete, Rename };

    using UploadHandler = std::function<void(const QString& name, const QString& path)>;

    // "上传" is greyed while the busy test holds: Brevanta's ring job by
    // default (SetBusyTest replaces it).
    explicit CListMyRing(QWidget* parent = nullptr);
    ~CListMyRing() override;

    // Builds the context menu and the row icon; call once.
    void Init();

    void SetUploadHandler(UploadHandler handler) { m_upload = std::move(handler); }

    // What a right click at a viewport point opens: the menu with "上传" set
    // for the busy test, the row remembered; none off the rows.
    QMenu* PrepareContextMenu(const QPoint& pos);
    QAction* MenuAction(Command command) const;

    void OnRingUpload();
    void OnRingEdit() { OpenRemembered(); }
    void OnRingDelete() { DeleteChosen(); }
    void OnRingRename() { RenameRemembered(); }

    // What dragging a row offers: its ring file as a file URL.
    std::unique_ptr<QMimeData> DragData(int row) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    UploadHandler m_upload;
    QMenu* m_menu = nullptr;
};
