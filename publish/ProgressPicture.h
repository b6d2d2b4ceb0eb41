#pragma once

#include <QPixmap>

class QWidget;

// The picture beside the progress windows' text and bar: a blue tile with a
// note and sound waves, drawn in code so it stays crisp at any scale.
// edge: logical pixels; dpr: the device pixel ratio of the screen it goes to.
QPixmap ProgressPicture(int edge, qreal dpr);

// Lays out a progress window that has no caption bar: a raised panel filling
// the window, the picture on the left and `text` above `bar` on the right.
void LayOutProgressPanel(QWidget* window, QWidget* text, QWidget* bar);
