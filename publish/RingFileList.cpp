#include "publish/RingFileList.h"

#include "audio/DataFolders.h"
#include "platform/FileNameRules.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "publish/PromptDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kFileNameRole = Qt::UserRole;
const QString kExtension = QStringLiteral(".kox");

} // namespace

QStringList CRingFileList::RingFiles(const QString& folder)
{
    // Name filters match in any case.
    QStringList files = QDir(folder).entryList({QStringLiteral("*") + kExtension}, QDir::Files,
                                               QDir::Name | QDir::IgnoreCase);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QString& file) {
                                   return file.startsWith(u'.') ||
                                          file.contains(QChar::ReplacementCharacter);
                               }),
                files.end());
    return files;
}

CRingFileList::CRingFileList(Texts texts, QWidget* parent)
    : QListWidget(parent), m_texts(std::move(texts))
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_runPrompt = [](CPromptDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (m_open && item)
            m_open(PathOf(item));
    });
}

void CRingFileList::LoadRingFolder()
{
    clear();
    m_remembered = QPersistentModelIndex();
    if (m_folder.isEmpty())
        return;
    for (const QString& file : RingFiles(m_folder))
        AddRing(GetPathTitle(file), file);
}

void CRingFileList::AddRing(const QString& name, const QString& fileName)
{
    auto* item = new QListWidgetItem(m_icon, name, this);
    item->setData(kFileNameRole, fileName.isEmpty() ? name + kExtension : fileName);
}

QString CRingFileList::RingName(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->text() : QString();
}

QString CRingFileList::RingPath(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? PathOf(it) : QString();
}

QString CRingFileList::PathOf(const QListWidgetItem* item) const
{
    return m_folder + item->data(kFileNameRole).toString();
}

bool CRingFileList::Remember(const QPoint& pos)
{
    QListWidgetItem* hit = itemAt(pos);
    if (!hit)
        return false;
    m_remembered = indexFromItem(hit);
    return true;
}

QListWidgetItem* CRingFileList::RememberedItem() const
{
    return m_remembered.isValid() ? itemFromIndex(m_remembered) : nullptr;
}

void CRingFileList::OpenRemembered()
{
    const QListWidgetItem* item = RememberedItem();
    if (item && m_open)
        m_open(PathOf(item));
}

void CRingFileList::Tell(const QString& text) const
{
    if (m_messages)
        m_messages->ShowMessage(text);
}

bool CRingFileList::DeleteRingFile(const QListWidgetItem* item)
{
    const QString path = PathOf(item);
    if (QFile::remove(path))
        return true;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true; // already gone: the row goes too
    Tell(m_texts.deleteFailed.arg(item->text()));
    return false;
}

void CRingFileList::DeleteChosen()
{
    QList<QListWidgetItem*> selected = selectedItems();
    std::sort(selected.begin(), selected.end(),
              [this](QListWidgetItem* a, QListWidgetItem* b) { return row(a) < row(b); });
    if (selected.size() > 1) {
        if (m_questions && m_questions->Ask(m_texts.askDeleteMany.arg(selected.size()))) {
            // A file that stays (the user was told) keeps its row.
            for (QListWidgetItem* item : selected) {
                if (DeleteRingFile(item))
                    delete item;
                else
                    item->setSelected(false);
            }
        }
    } else if (QListWidgetItem* item = RememberedItem()) {
        if (m_questions && m_questions->Ask(m_texts.askDeleteOne.arg(item->text())) &&
            DeleteRingFile(item))
            delete item;
    }
    m_remembered = QPersistentModelIndex();
}

bool CRingFileList::RingNamed(const QString& name) const
{
    const QFileInfo exact(m_folder + name + kExtension);
    if (exact.exists() || exact.isSymLink())
        return true;
    // A "Name.KOX" lists as "Name" too.
    const QStringList files = QDir(m_folder).entryList({QStringLiteral("*") + kExtension},
                                                       QDir::Files | QDir::Dirs | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(files.begin(), files.end(), [&](const QString& file) {
        return file.chopped(kExtension.size()) == name;
    });
}

void CRingFileList::RenameRemembered()
{
    QListWidgetItem* item = RememberedItem();
    if (!item)
        return;
    const QString old = item->text();
    CPromptDialog dialog(this);
    dialog.SetPrompt(QStringLiteral("请输入新的文件名称："));
    dialog.SetValue(old);
    if (!m_runPrompt(dialog))
        return;
    QString answer = dialog.Value().trimmed();
    if (answer == old)
        return;
    if (answer.endsWith(kExtension, Qt::CaseInsensitive))
        answer.chop(kExtension.size());
    if (answer.isEmpty()) {
        Tell(QStringLiteral("文件名不能为空！"));
        return;
    }
    // The name becomes a file of the folder: no path, and no leading "."
    // that would hide the file from the list.
    if (!FileNameRules::IsPlainName(answer) || answer.startsWith(u'.')) {
        Tell(QStringLiteral("文件名不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！"));
        return;
    }
    if (RingNamed(answer)) {
        Tell(QStringLiteral("『%1』已经存在！").arg(answer));
        return;
    }
    // QFile::rename never replaces a file that appeared meanwhile.
    const QString fileName = answer + kExtension;
    if (!QFile::rename(PathOf(item), m_folder + fileName)) {
        Tell(m_texts.renameFailed.arg(old));
        return;
    }
    item->setText(answer);
    item->setData(kFileNameRole, fileName);
}
