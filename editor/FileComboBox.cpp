#include "editor/FileComboBox.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidgetItem>

namespace {

constexpr int kRecordRole = Qt::UserRole;
constexpr int kIndentRole = Qt::UserRole + 1;
constexpr int kIndentWidth = 10; // px per level

// Draws the drop-down's entries shifted by their depth.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.setLeft(option.rect.left() + index.data(kIndentRole).toInt() * kIndentWidth);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
};

} // namespace

CFileComboBox::CFileComboBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setMaxVisibleItems(20);
}

int CFileComboBox::AddFolder(const QTreeWidgetItem* record, int position, int indent)
{
    if (!record)
        return -1;
    const int at = position < 0 || position > count() ? count() : position;
    insertItem(at, record->icon(0), record->text(0));
    setItemData(at, QVariant::fromValue(reinterpret_cast<quintptr>(record)), kRecordRole);
    setItemData(at, indent, kIndentRole);
    return at;
}

int CFileComboBox::SelectByRecord(const QTreeWidgetItem* record)
{
    for (int i = 0; i < count(); ++i) {
        if (RecordAt(i) == record) {
            setCurrentIndex(i);
            return i;
        }
    }
    return -1;
}

const QTreeWidgetItem* CFileComboBox::RecordAt(int index) const
{
    return reinterpret_cast<const QTreeWidgetItem*>(
        itemData(index, kRecordRole).value<quintptr>());
}

int CFileComboBox::IndentAt(int index) const
{
    return itemData(index, kIndentRole).toInt();
}
