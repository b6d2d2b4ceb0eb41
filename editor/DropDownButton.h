#pragma once

#include <QToolButton>

// A tool button with a separate arrow that asks its owner for a drop-down of
// its own (a window rather than a menu). GUI thread only.
class CDropDownButton : public QToolButton
{
    Q_OBJECT
public:
    explicit CDropDownButton(QWidget* parent = nullptr);

    // The arrow's rectangle in the button's coordinates.
    QRect ArrowRect() const;

signals:
    // The arrow was pressed.
    void dropDown();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
