#pragma once

#include <QComboBox>

class QTreeWidgetItem;

// The folder chain of the file browser: each entry names a folder item of the
// tree (its record), indented by its depth. The entries only identify their
// items; the tree is asked whether an item is still there. GUI thread only.
class CFileComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CFileComboBox(QWidget* parent = nullptr);

    // Inserts an entry with the item's text and icon at position (-1: at the
    // end) and indent; returns its index.
    int AddFolder(const QTreeWidgetItem* record, int position, int indent);
    // Selects the entry of that record; its index, -1 when none has it.
    int SelectByRecord(const QTreeWidgetItem* record);
    const QTreeWidgetItem* RecordAt(int index) const;
    int IndentAt(int index) const;
};
