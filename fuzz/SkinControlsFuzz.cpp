// Feeds arbitrary bytes to the skinned slider, tab control and list as their
// theme: each reads its section, then is painted and clicked, pressed,
// dragged and released at points across it. The same bytes are the image that
// any theme value names, so hostile images and hostile sizes meet. The bytes
// also skin a dialog's frame, whose strips and title buttons are fixed images
// under the names our themes use, so the frame's sizes and pieces come from
// the input; the frame is painted and pressed, dragged and double-clicked at
// its edges, caption and buttons.
#include "FuzzInput.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/SkinSliderCtrl.h"
#include "skin/SkinTabCtrl.h"
#include "skin/SkinWin.h"
#include "skin/TabCtrl.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPushButton>
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

// Paints what of the widget a screen could show: a theme may make a control
// far larger than its dialog, which the program then paints only in part.
void Paint(QWidget* widget)
{
    (void)widget->grab(widget->rect() & QRect(0, 0, 1024, 768));
}

// Paints the widget, then presses, drags and releases along its middle.
void Poke(QWidget* widget)
{
    if (!widget)
        return;
    Paint(widget);
    const int w = widget->width();
    const int y = widget->height() / 2;
    for (const int x : {1, w / 4, w / 2, w - 2}) {
        Mouse(widget, QEvent::MouseButtonPress, QPoint(x, y));
        Mouse(widget, QEvent::MouseMove, QPoint(x + 7, y + 3));
        Mouse(widget, QEvent::MouseMove, QPoint(w - x, y));
        Mouse(widget, QEvent::MouseButtonRelease, QPoint(w - x, y));
    }
    Paint(widget);
}

// The frame's images, written once: strips of two halves, three-cell buttons.
void WriteFrameImages()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    const auto save = [](int w, int h, QRgb colour, const char* name) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        image.setPixel(0, 0, qRgb(255, 0, 255));
        image.save(FuzzInput::Folder() + u'/' + QLatin1String(name), "PNG");
    };
    save(48, 60, qRgb(10, 20, 30), "top.png");
    save(10, 54, qRgb(40, 50, 60), "left.png");
    save(10, 54, qRgb(40, 50, 60), "right.png");
    save(48, 10, qRgb(70, 80, 90), "bottom.png");
    save(84, 22, qRgb(1, 2, 3), "close.png");
    save(84, 22, qRgb(4, 5, 6), "maximise.png");
    save(84, 22, qRgb(7, 8, 9), "restore.png");
    save(84, 22, qRgb(3, 2, 1), "minimise.png");
    save(16, 16, qRgb(200, 200, 200), "dialog.png");
}

void SkinTheFrame(const QString& theme)
{
    QDialog dialog;
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint);
    dialog.setWindowTitle(QStringLiteral("fuzz 标题 text"));
    dialog.resize(320, 200);
    (new QPushButton(QStringLiteral("ok"), &dialog))->setGeometry(10, 10, 60, 24);
    if (ApplySkin(theme, &dialog) != 1)
        FuzzInput::Check(false, "ApplySkin answers 1");
    dialog.show();
    QCoreApplication::processEvents();
    (void)dialog.grab();
    const int w = dialog.width(), h = dialog.height();
    for (const QPoint at : {QPoint(1, 1), QPoint(w / 2, 2), QPoint(w / 2, 8), QPoint(w - 2, h / 2),
                            QPoint(w - 30, 10), QPoint(w - 60, 10), QPoint(w - 90, 10),
                            QPoint(w - 1, h - 1), QPoint(2, h / 2)}) {
        Mouse(&dialog, QEvent::MouseMove, at);
        Mouse(&dialog, QEvent::MouseButtonPress, at);
        Mouse(&dialog, QEvent::MouseMove, at + QPoint(5, 3));
        Mouse(&dialog, QEvent::MouseButtonRelease, at + QPoint(5, 3));
    }
    Mouse(&dialog, QEvent::MouseButtonDblClick, QPoint(w / 2, 8));
    dialog.setWindowTitle(QStringLiteral("a much longer title that will not fit in the band"));
    ApplySkin(theme, &dialog);
    dialog.resize(40, 30);
    QCoreApplication::processEvents();
    (void)dialog.grab();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MakeApp();
    WriteFrameImages();
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
    SkinTheFrame(theme);
    return 0;
}
