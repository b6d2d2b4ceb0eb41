#pragma once

#include <QListWidget>
#include <QPersistentModelIndex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class CPromptDialog;
class IMessageSink;
class IQuestionBox;
class QAction;
class QMenu;
class QMimeData;

// The user's ring library: one row per ".kox" file of the ring folder, showing
// the ring's name, with a context menu to upload, open, delete and rename a
// ring, and the ring file dragged out as a file (copy only). Each row keeps
// the real file name it lists, so a "Song.KOX" is renamed and deleted as that
// file. Opening and uploading are the program's business, handed in as
// callbacks. GUI thread only, AddRing included.
class CListMyRing : public QListWidget
{
    Q_OBJECT
public:
    // The commands of the context menu.
    enum class Command { Upload, Edit, Delete, Rename };

    using UploadHandler = std::function<void(const QString& name, const QString& path)>;
    using OpenHandler = std::function<void(const QString& path)>;
    // Runs the rename prompt; true on OK. The default runs it modally.
    using PromptRunner = std::function<bool(CPromptDialog& dialog)>;

    explicit CListMyRing(QWidget* parent = nullptr);
    ~CListMyRing() override;

    // Builds the context menu and the row icon; call once.
    void Init();

    // The ring folder, ending in "/".
    void SetRingFolder(const QString& folder) { m_folder = folder; }
    QString RingFolder() const { return m_folder; }
    void SetUploadHandler(UploadHandler handler) { m_upload = std::move(handler); }
    void SetOpenHandler(OpenHandler handler) { m_open = std::move(handler); }
    // Both must outlive the list. Without a question box nothing is deleted.
    void SetQuestionBox(IQuestionBox* questions) { m_questions = questions; }
    void SetMessageSink(IMessageSink* messages) { m_messages = messages; }
    void SetPromptRunner(PromptRunner runner) { m_runPrompt = std::move(runner); }
    // The job flag that greys "上传" while it is set (the ring road's by default).
    void SetBusyFlag(const std::atomic<int>* flag) { m_busy = flag; }

    // Appends a row for ring name, whose file in the ring folder is fileName
    // (name + ".kox" when empty).
    void AddRing(const QString& name, const QString& fileName = QString());
    QString RingName(int row) const;
    QString RingPath(int row) const;

    // What a right click at a viewport point opens: the menu with "上传" set
    // for the job flag, the row remembered; none off the rows.
    QMenu* PrepareContextMenu(const QPoint& pos);
    QAction* MenuAction(Command command) const;

    void OnRingUpload();
    void OnRingEdit();
    void OnRingDelete();
    void OnRingRename();

    // What dragging a row offers: its ring file as a file URL.
    std::unique_ptr<QMimeData> DragData(int row) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QListWidgetItem* RememberedItem() const;
    QString PathOf(const QListWidgetItem* item) const;
    // Deletes a row's file; false (and the user told) when it is still there.
    bool DeleteRingFile(const QListWidgetItem* item);
    bool RingNamed(const QString& name) const;
    void Tell(const QString& text) const;

    QString m_folder;
    UploadHandler m_upload;
    OpenHandler m_open;
    IQuestionBox* m_questions = nullptr;
    IMessageSink* m_messages = nullptr;
    PromptRunner m_runPrompt;
    const std::atomic<int>* m_busy;
    QMenu* m_menu = nullptr;
    QIcon m_icon;
    QPersistentModelIndex m_remembered;
};
