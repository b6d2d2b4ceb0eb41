#pragma once

#include <QListWidget>

// The list of the undo/redo pop-up: the pointer selects every item from the
// top to the one under it, and a left click chooses that many. GUI thread only.
class CTaskListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit CTaskListBox(QWidget* parent = nullptr);

    int GetHover() const { return m_hover; }
    // Items 0..n become selected, the rest not; emits hoverChanged(n).
    void SetHover(int n);
    // The item under a viewport point; the nearest one when the point is
    // above the first or below the last; -1 for an empty list.
    int ItemFromPoint(const QPoint& pos) const;

signals:
    // Items 0..n are selected.
    void hoverChanged(int n);
    // The user clicked: items 0..n are chosen.
    void chosen(int n);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_hover = 0;
};
