#pragma once

#include <QIcon>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

// The dialogs' plain tab control: a row of labelled tabs above a framed page
// area, with padding around each label and an optional list of 16 x 16 icons.
// A press selects the tab under it and emits SelChange, unless a skin hook
// takes the mouse over. GUI thread.
class CTabCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit CTabCtrl(QWidget* parent = nullptr);

    // Inserts a tab before index (appends when index is out of range); image
    // indexes the icon list, -1 for none. Returns the new tab's index.
    int InsertItem(int index, const QString& text, int image = -1);
    int GetItemCount() const { return int(m_items.size()); }
    QString GetItemText(int index) const;
    int GetItemImage(int index) const;
    // -1 when there are no tabs.
    int GetCurSel() const { return m_current; }
    // Selects without notifying, as a program's own call does; returns the
    // previous selection, or -1 (changing nothing) for an index out of range.
    int SetCurSel(int index);
    // The tab's rectangle in the control; null out of range.
    QRect GetItemRect(int index) const;
    void SetImageList(const QList<QIcon>& icons);
    const QList<QIcon>& ImageList() const { return m_icons; }
    // Space left and right (width) and above and below (height) of a label.
    void SetPadding(const QSize& padding);
    QSize Padding() const { return m_padding; }

    // Emits SelChange, for skins that select on their own.
    void NotifySelChange() { emit SelChange(); }

signals:
    // The user chose another tab.
    void SelChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Item
    {
        QString text;
        int image = -1;
    };
    int RowHeight() const;

    QList<Item> m_items;
    QList<QIcon> m_icons;
    int m_current = -1;
    QSize m_padding{6, 3};
};
