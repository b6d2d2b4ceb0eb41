// Feeds arbitrary bytes to the skinned slider, tab control and list as their
// theme: each reads its section, then is painted and clicked, pressed,
// dragged and released at points across it. The same bytes are the image that
// any theme value names, so hostile images and hostile sizes meet.
#include "FuzzInput.h"

#include "skin/DlgCtrlId.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/SkinSliderCtrl.h"
#include "skin/SkinTabCtrl.h"
#include "skin/TabCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSlider>
#include <QTreeWidget>

#include <cstddef>
#include <cstdint>

namespace {

// Widgets need an application object for the whole run. It is never
// destroyed: at exit it would outlive the pointer device the mouse events made.
void MakeApp()
{
    static int argc = 1;
    static char name[] = "skin_controls_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = nullptr;
    if (!app) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
    }
}

void Mouse(QWidget* widget, QEvent::Type type, QPoint at)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Paints the widget, then presses, drags and releases along its middle.
void Poke(QWidget* widget)
{
    if (!widget)
        return;
    (void)widget->grab();
    const int w = widget->width();
    const int y = widget->height() / 2;
    for (const int x : {1, w / 4, w / 2, w - 2}) {
        Mouse(widget, QEvent::MouseButtonPress, QPoint(x, y));
        Mouse(widget, QEvent::MouseMove, QPoint(x + 7, y + 3));
        Mouse(widget, QEvent::MouseMove, QPoint(w - x, y));
        Mouse(widget, QEvent::MouseButtonRelease, QPoint(w - x, y));
    }
    (void)widget->grab();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MakeApp();
    const QString theme = FuzzInput::Write(data, size, QStringLiteral("theme.ini"));
    FuzzInput::Write(data, size, QStringLiteral("image.bin"));

    QWidget dialog;
    dialog.resize(300, 240);

    auto* slider = new QSlider(Qt::Horizontal, &dialog);
    slider->setGeometry(10, 200, 120, 14);
    slider->setRange(-120, 0);
    SetDlgCtrlID(slider, 1017);
    if (CSkinSliderCtrl* skin = CSkinSliderCtrl::Wrap(slider))
        skin->LoadSkin(theme);

    auto* tab = new CTabCtrl(&dialog);
    tab->setGeometry(0, 0, 280, 180);
    for (const char* text : {"a", "bb", "ccc"})
        tab->InsertItem(-1, QString::fromLatin1(text));
    SetDlgCtrlID(tab, 1043);
    if (CSkinTabCtrl* skin = CSkinTabCtrl::Wrap(tab))
        skin->LoadSkin(theme);

    auto* list = new QTreeWidget(&dialog);
    list->setGeometry(10, 40, 200, 120);
    list->setHeaderLabels({QStringLiteral("a"), QStringLiteral("b")});
    for (int i = 0; i < 30; ++i)
        new QTreeWidgetItem(list, {QString::number(i), QString::number(i * i)});
    SetDlgCtrlID(list, 1009);
    CSkinListCtrl* listSkin = CSkinListCtrl::Wrap(list, theme);

    dialog.show();
    QCoreApplication::processEvents();
    Poke(slider);
    Poke(tab);
    Poke(list);
    if (listSkin) {
        Poke(listSkin->VerticalBar());
        Poke(listSkin->HorizontalBar());
        // A reload over a list that already has its bars.
        listSkin->LoadSkin(theme);
        Poke(listSkin->VerticalBar());
    }
    return 0;
}
