#pragma once

#include "skin/SubclassWnd.h"

#include <QRect>

class QHeaderView;
struct ListCtrlSkin;

// Draws a skinned list's column header from the list's skin: the span image
// over the whole header, each column's start and end images, and its label
// inset 2 px in the theme's header font. Hooks the header's viewport, where
// the header paints. GUI thread.
class CSkinListHeaderCtrl : public CSubclassWnd
{
    Q_OBJECT
public:
    CSkinListHeaderCtrl(QHeaderView* header, const ListCtrlSkin* skin);

    // The column's label rectangle and alignment as drawn.
    QRect LabelRect(int column) const;
    Qt::Alignment LabelAlignment(int column) const;

protected:
    bool WindowProc(QEvent* event) override;

private:
    QRect ColumnRect(int column) const;
    void Paint();

    QHeaderView* m_header;
    const ListCtrlSkin* m_skin;
};
