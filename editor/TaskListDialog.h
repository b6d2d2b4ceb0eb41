#pragma once

#include <QDialog>

class CTaskListBox;
class QLabel;

// The pop-up under the undo and redo arrows: the steps that can be undone
// (most recent first) or redone (next first), a count line under them, and a
// click that asks the frame for that many steps. A click outside closes it
// without a step. The frame owns one, fills it and places it. GUI thread only.
class CTaskListDialog : public QDialog
{
    Q_OBJECT
public:
    enum Mode { Undo = 0, Redo = 1 };

    explicit CTaskListDialog(QWidget* parent = nullptr);

    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }
    void ResetContent();
    void AddItem(const QString& text);
    // Items 0..n are selected and counted.
    void SetHover(int n);

    CTaskListBox* ListBox() const { return m_list; }
    QString CountText() const;

signals:
    // Undo (or redo) n + 1 steps. Connect queued: the pop-up is gone first.
    void undoSteps(int n);
    void redoSteps(int n);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnHover(int n);
    void OnChosen(int n);

    CTaskListBox* m_list;
    QLabel* m_count;
    int m_mode = Undo;
};
