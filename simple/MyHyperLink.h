#pragma once

#include "platform/ColorRef.h"

#include <QLabel>
#include <QString>

class IUrlOpener;

// A text link: underlined, a hand over it, its colour telling link, hover and
// visited apart, an optional tooltip in colours of its own. A click hands the
// address to the URL opener, or, with the notify-parent flag, only emits
// linkClicked with the control's identifier; either way the link counts as
// visited from then on. GUI thread.
class CMyHyperLink : public QLabel
{
    Q_OBJECT
public:
    explicit CMyHyperLink(QWidget* parent = nullptr);

    void SetURL(const QString& url) { m_url = url; }
    QString GetURL() const { return m_url; }
    void SetUrlOpener(IUrlOpener* opener) { m_opener = opener; }
    void SetNotifyParent(bool notify) { m_notifyParent = notify; }

    void SetLinkColor(ColorRef colour);
    void SetHoverColor(ColorRef colour);
    void SetVisitedColor(ColorRef colour);
    void EnableToolTip(bool enable) { m_toolTip = enable; }
    // Ignored while the tooltip is off.
    void SetToolTipText(const QString& text);
    void SetToolTipBkColor(ColorRef colour) { m_tipBackground = colour; }
    void SetToolTipTextColor(ColorRef colour) { m_tipText = colour; }

    bool IsHovered() const { return m_hover; }
    bool IsVisited() const { return m_visited; }
    // The colour the text is drawn in now.
    ColorRef CurrentColor() const;
    ColorRef ToolTipBkColor() const { return m_tipBackground; }
    ColorRef ToolTipTextColor() const { return m_tipText; }

    // What a completed click does.
    void OnClicked();

signals:
    void linkClicked(int id);

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Redraw();

    bool m_notifyParent = false;
    bool m_toolTip = false;
    bool m_hover = false;
    bool m_visited = false;
    bool m_pressed = false;
    QString m_url;
    QString m_tipTextValue;
    ColorRef m_hoverColour = 0x0000FF;
    ColorRef m_linkColour = 0xFF0000;
    ColorRef m_visitedColour = 0x8F2205;
    ColorRef m_tipBackground = 0xE1FFFF;
    ColorRef m_tipText = 0x000000;
    IUrlOpener* m_opener = nullptr;
};
