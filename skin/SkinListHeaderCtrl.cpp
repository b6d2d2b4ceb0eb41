#include "skin/SkinListHeaderCtrl.h"

#include "skin/ListCtrlSkin.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>

CSkinListHeaderCtrl::CSkinListHeaderCtrl(QHeaderView* header, const ListCtrlSkin* skin)
    : m_header(header), m_skin(skin)
{
    HookWindow(header->viewport());
}

QRect CSkinListHeaderCtrl::ColumnRect(int column) const
{
    return QRect(m_header->sectionViewportPosition(column), 0, m_header->sectionSize(column),
                 m_header->viewport()->height());
}

QRect CSkinListHeaderCtrl::LabelRect(int column) const
{
    return ColumnRect(column).adjusted(2, 2, -2, -2);
}

Qt::Alignment CSkinListHeaderCtrl::LabelAlignment(int column) const
{
    // Only the horizontal part counts, each side mapped to its own.
    const auto align =
        Qt::Alignment(m_header->model()
                          ->headerData(column, m_header->orientation(), Qt::TextAlignmentRole)
                          .toInt());
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (align & Qt::AlignRight)
        horizontal = Qt::AlignRight;
    else if (align & Qt::AlignHCenter)
        horizontal = Qt::AlignHCenter;
    return horizontal | Qt::AlignVCenter;
}

void CSkinListHeaderCtrl::Paint()
{
    QWidget* viewport = m_header->viewport();
    QPainter painter(viewport);
    painter.fillRect(viewport->rect(), ColorRefToQColor(m_skin->textBkColor));
    m_skin->headerSpan.StretchDrawWhole(&painter, viewport->rect());
    QFont font(m_skin->headFontName);
    if (m_skin->headFontSize > 0)
        font.setPixelSize(m_skin->headFontSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int column = 0; column < m_header->count(); ++column) {
        if (m_header->isSectionHidden(column))
            continue;
        const QRect rect = ColumnRect(column);
        m_skin->headerStart.StretchDrawWhole(
            &painter,
            QRect(rect.left(), rect.top(), m_skin->headerStart.GetWidth(), rect.height()));
        // Right of the column's edge, where the next column's start covers it.
        m_skin->headerEnd.StretchDrawWhole(&painter,
                                           QRect(rect.left() + rect.width(), rect.top(),
                                                 m_skin->headerEnd.GetWidth(), rect.height()));
        const QString text =
            m_header->model()->headerData(column, m_header->orientation()).toString();
        painter.drawText(LabelRect(column), int(LabelAlignment(column)) | Qt::TextSingleLine,
                         text);
    }
}

bool CSkinListHeaderCtrl::WindowProc(QEvent* event)
{
    if (event->type() == QEvent::Paint && m_skin && m_skin->loaded) {
        Paint();
        return true;
    }
    return CSubclassWnd::WindowProc(event);
}
