#include "publish/ListMyRing.h"

#include "audio/DataFolders.h"
#include "platform/FileNameRules.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "publish/PromptDialog.h"
#include "publish/RingJobGlobals.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int kFileNameRole = Qt::UserRole;
const QString kExtension = QStringLiteral(".kox");

// A 16 x 16 note on a disc: one ring of the library.
QIcon RingIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(30, 90, 160));
    painter.setBrush(QColor(120, 180, 240));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(4, 9, 4.5, 3.5));
    painter.drawRect(QRectF(7, 3, 1.5, 7.5));
    QPainterPath flag;
    flag.moveTo(8.5, 3);
    flag.lineTo(12, 5);
    flag.lineTo(8.5, 6.5);
    painter.drawPath(flag);
    return QIcon(pixmap);
}

} // namespace

CListMyRing::CListMyRing(QWidget* parent) : QListWidget(parent), m_busy(&g_bRingJobBusy)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    m_runPrompt = [](CPromptDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (m_open && item)
            m_open(PathOf(item));
    });
}

CListMyRing::~CListMyRing()
{
    if (g_pRingList == this)
        g_pRingList = nullptr;
}

void CListMyRing::Init()
{
    setIconSize(QSize(16, 16));
    m_icon = RingIcon();
    m_menu = new QMenu(QStringLiteral("我的铃音库列表弹出菜单"), this);
    connect(m_menu->addAction(QStringLiteral("上传")), &QAction::triggered, this,
            &CListMyRing::OnRingUpload);
    connect(m_menu->addAction(QStringLiteral("编辑")), &QAction::triggered, this,
            &CListMyRing::OnRingEdit);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("删除")), &QAction::triggered, this,
            &CListMyRing::OnRingDelete);
    connect(m_menu->addAction(QStringLiteral("重命名")), &QAction::triggered, this,
            &CListMyRing::OnRingRename);
}

void CListMyRing::AddRing(const QString& name, const QString& fileName)
{
    auto* item = new QListWidgetItem(m_icon, name, this);
    item->setData(kFileNameRole, fileName.isEmpty() ? name + kExtension : fileName);
}

QString CListMyRing::RingName(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->text() : QString();
}

QString CListMyRing::RingPath(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? PathOf(it) : QString();
}

QString CListMyRing::PathOf(const QListWidgetItem* item) const
{
    return m_folder + item->data(kFileNameRole).toString();
}

QAction* CListMyRing::MenuAction(Command command) const
{
    if (!m_menu)
        return nullptr;
    const QList<QAction*> actions = m_menu->actions(); // the separator is the third
    switch (command) {
    case Command::Upload:
        return actions.at(0);
    case Command::Edit:
        return actions.at(1);
    case Command::Delete:
        return actions.at(3);
    case Command::Rename:
        return actions.at(4);
    }
    return nullptr;
}

QMenu* CListMyRing::PrepareContextMenu(const QPoint& pos)
{
    QListWidgetItem* hit = itemAt(pos);
    if (!hit || !m_menu)
        return nullptr;
    MenuAction(Command::Upload)->setEnabled(m_busy == nullptr || m_busy->load() == 0);
    m_remembered = indexFromItem(hit);
    return m_menu;
}

void CListMyRing::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = PrepareContextMenu(event->pos()))
        menu->popup(event->globalPos());
    event->accept();
}

QListWidgetItem* CListMyRing::RememberedItem() const
{
    return m_remembered.isValid() ? itemFromIndex(m_remembered) : nullptr;
}

void CListMyRing::OnRingUpload()
{
    const QListWidgetItem* item = RememberedItem();
    if (item && m_upload)
        m_upload(item->text(), PathOf(item));
}

void CListMyRing::OnRingEdit()
{
    const QListWidgetItem* item = RememberedItem();
    if (item && m_open)
        m_open(PathOf(item));
}

void CListMyRing::Tell(const QString& text) const
{
    if (m_messages)
        m_messages->ShowMessage(text);
}

bool CListMyRing::DeleteRingFile(const QListWidgetItem* item)
{
    const QString path = PathOf(item);
    if (QFile::remove(path))
        return true;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true; // already gone: the row goes too
    Tell(QStringLiteral("铃音『%1』删除失败！").arg(item->text()));
    return false;
}

void CListMyRing::OnRingDelete()
{
    QList<QListWidgetItem*> selected = selectedItems();
    std::sort(selected.begin(), selected.end(),
              [this](QListWidgetItem* a, QListWidgetItem* b) { return row(a) < row(b); });
    if (selected.size() > 1) {
        if (m_questions &&
            m_questions->Ask(
                QStringLiteral("您确定要将所选的 %1 项铃音删除吗").arg(selected.size()))) {
            // A ring whose file stays (the user was told) keeps its row.
            for (QListWidgetItem* item : selected) {
                if (DeleteRingFile(item))
                    delete item;
                else
                    item->setSelected(false);
            }
        }
    } else if (QListWidgetItem* item = RememberedItem()) {
        if (m_questions &&
            m_questions->Ask(QStringLiteral("您确定要将铃音：『%1』 删除吗?").arg(item->text())) &&
            DeleteRingFile(item))
            delete item;
    }
    m_remembered = QPersistentModelIndex();
}

bool CListMyRing::RingNamed(const QString& name) const
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

void CListMyRing::OnRingRename()
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
    // The name becomes a file of the ring folder: no path, and no leading "."
    // that would hide the ring from the library.
    if (!FileNameRules::IsPlainName(answer) || answer.startsWith(u'.')) {
        Tell(QStringLiteral("文件名不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！"));
        return;
    }
    if (RingNamed(answer)) {
        Tell(QStringLiteral("『%1』已经存在！").arg(answer));
        return;
    }
    const QString fileName = answer + kExtension;
    if (!QFile::rename(PathOf(item), m_folder + fileName)) {
        Tell(QStringLiteral("铃音『%1』重命名失败！").arg(old));
        return;
    }
    item->setText(answer);
    item->setData(kFileNameRole, fileName);
}

std::unique_ptr<QMimeData> CListMyRing::DragData(int row) const
{
    const QListWidgetItem* it = item(row);
    if (!it)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(PathOf(it))});
    return data;
}

void CListMyRing::startDrag(Qt::DropActions)
{
    QListWidgetItem* dragged = currentItem();
    if (!dragged)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(DragData(row(dragged)).release());
    drag->setPixmap(m_icon.pixmap(16, 16));
    drag->exec(Qt::CopyAction);
}
