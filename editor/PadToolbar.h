#pragma once

#include <QWidget>

class QAction;

// A pad's two check buttons, mute and solo, with 14 x 14 images and the
// tooltips "播放静音" and "播放独奏" (blue on pale yellow). The buttons take no
// keyboard focus. GUI thread only.
class CPadToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit CPadToolbar(QWidget* parent = nullptr);

    QAction* MuteAction() const { return m_mute; }
    QAction* SoloAction() const { return m_solo; }

private:
    QAction* m_mute;
    QAction* m_solo;
};
