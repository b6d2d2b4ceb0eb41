#pragma once

#include <QIcon>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <functional>

class CPromptDialog;
class IMessageSink;
class IQuestionBox;

// A list of the ".kox" files of one folder, one row per file showing its name
// without the extension, with what both programs' ring lists do to them:
// open, delete (one or the selected rows) and rename. Each row keeps the real
// file name it lists, so a "Song.KOX" is opened, renamed and deleted as that
// file; a row goes or changes only when its file did. The wording of the
// questions and failures is the list's own. GUI thread only.
class CRingFileList : public QListWidget
{
    Q_OBJECT
public:
    struct Texts
    {
        QString askDeleteOne;  // %1: the row's name
        QString askDeleteMany; // %1: the number of rows
        QString deleteFailed;  // %1: the row's name
        QString renameFailed;  // %1: the row's name
    };
    using OpenHandler = std::function<void(const QString& path)>;
    // Runs the rename prompt; true on OK. The default runs it modally.
    using PromptRunner = std::function<bool(CPromptDialog& dialog)>;
    // True while the program's job runs; the list greys what must wait.
    using BusyTest = std::function<bool()>;

    // The ring files of folder as the lists show them: "*.kox" in any case,
    // sorted by name in any case, without hidden files and names that are not
    // valid text in the file system's coding.
    static QStringList RingFiles(const QString& folder);

    CRingFileList(Texts texts, QWidget* parent = nullptr);

    // The folder, ending in "/".
    void SetRingFolder(const QString& folder) { m_folder = folder; }
    QString RingFolder() const { return m_folder; }
    // Empties the list and adds a row for every ring file of the folder.
    void LoadRingFolder();
    void SetOpenHandler(OpenHandler handler) { m_open = std::move(handler); }
    // Both must outlive the list. Without a question box nothing is deleted.
    void SetQuestionBox(IQuestionBox* questions) { m_questions = questions; }
    void SetMessageSink(IMessageSink* messages) { m_messages = messages; }
    void SetPromptRunner(PromptRunner runner) { m_runPrompt = std::move(runner); }
    void SetBusyTest(BusyTest busy) { m_busy = std::move(busy); }
    bool IsBusy() const { return m_busy && m_busy(); }

    // Appends a row for name, whose file in the folder is fileName (name +
    // ".kox" when empty).
    void AddRing(const QString& name, const QString& fileName = QString());
    QString RingName(int row) const;
    QString RingPath(int row) const;

protected:
    void SetRowIcon(const QIcon& icon) { m_icon = icon; }
    const QIcon& RowIcon() const { return m_icon; }
    // The row a right click chose; false off the rows.
    bool Remember(const QPoint& pos);
    QListWidgetItem* RememberedItem() const;
    QString PathOf(const QListWidgetItem* item) const;

    // The commands on the remembered row (delete: on the selection when it
    // holds more than one row).
    void OpenRemembered();
    void DeleteChosen();
    void RenameRemembered();

private:
    // Deletes a row's file; false (and the user told) when it is still there.
    bool DeleteRingFile(const QListWidgetItem* item);
    bool RingNamed(const QString& name) const;
    void Tell(const QString& text) const;

    Texts m_texts;
    QString m_folder;
    OpenHandler m_open;
    IQuestionBox* m_questions = nullptr;
    IMessageSink* m_messages = nullptr;
    PromptRunner m_runPrompt;
    BusyTest m_busy;
    QIcon m_icon;
    QPersistentModelIndex m_remembered;
};
