#pragma once

#include "skin/SkinCtrl.h"
#include "skin/SubclassWnd.h"

#include <QLabel>
#include <QPointer>

// A text label drawn as plain text straight over the dialog's background:
// wrapped at word breaks, in its own font, left, centred or right as its
// alignment says. '&' marks a mnemonic only when the label has a buddy, as Qt
// labels do; otherwise it is shown as it is. It has no theme section. A label
// that shows a picture is never wrapped (see SkinWrap.h), since this drawing
// would show only its text. GUI thread.
class CSkinStatic : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    explicit CSkinStatic(QLabel* label);

    // Repaints; the dialog always shows through, so nothing is cached.
    void RefreshSkin() override;
    bool WindowProc(QEvent* event) override;

private:
    QPointer<QLabel> m_label;
};
