#pragma once

#include <QColor>
#include <QObject>

class QWidget;

// Shows the tooltips of the widgets it watches in its own colours (the
// desktop's tooltip look otherwise), the way a dialog's own tooltip control
// paints its tools. GUI thread.
class CColouredToolTip : public QObject
{
    Q_OBJECT
public:
    CColouredToolTip(QColor background, QColor text, QObject* parent = nullptr);

    void SetColours(QColor background, QColor text);
    QColor Background() const { return m_background; }
    QColor Text() const { return m_text; }
    // Watches widget's tooltip events; its tooltip text stays its own.
    void AddTool(QWidget* widget);

    // Shows text for widget at globalPos in the colours.
    static void Show(const QPoint& globalPos, const QString& text, QWidget* widget,
                     QColor background, QColor textColour);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor m_background;
    QColor m_text;
};
