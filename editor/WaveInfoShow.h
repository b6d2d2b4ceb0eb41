#pragma once

#include "editor/Paint3d.h"

#include <QFont>
#include <QWidget>

// The panel below the track pads: a raised face with the program's name and
// version. GUI thread only.
class CWaveInfoShow : public QWidget
{
    Q_OBJECT
public:
    explicit CWaveInfoShow(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SystemColors m_colors;
    QFont m_font;
};
