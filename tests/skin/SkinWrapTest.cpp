#include "skin/ButtonSkin.h"
#include "skin/DlgCtrlId.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinWrap.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Kind = SkinWrap::Kind;

class OwnCheckBox : public QCheckBox
{
    Q_OBJECT
};

TEST(SkinWrapTest, ExactClassesAndPlainStylesAreWrapped)
{
    struct Case
    {
        const char* what;
        std::function<QWidget*()> make;
        Kind kind;
    };
    const Case cases[] = {
        {"push button", [] { return new QPushButton; }, Kind::Button},
        {"default push button",
         [] {
             auto* b = new QPushButton;
             b->setDefault(true);
             return b;
         },
         Kind::Button},
        {"checkable push button",
         [] {
             auto* b = new QPushButton;
             b->setCheckable(true);
             return b;
         },
         Kind::None},
        {"marked bitmap button",
         [] {
             auto* b = new QPushButton;
             b->setCheckable(true);
             SkinWrap::MarkBmpButton(b);
             return b;
         },
         Kind::BmpButton},
        {"check box", [] { return new QCheckBox; }, Kind::CheckBox},
        {"tristate check box",
         [] {
             auto* b = new QCheckBox;
             b->setTristate(true);
             return b;
         },
         Kind::None},
        {"left-text check box",
         [] {
             auto* b = new QCheckBox;
             b->setLayoutDirection(Qt::RightToLeft);
             return b;
         },
         Kind::None},
        {"derived check box", [] { return new OwnCheckBox; }, Kind::None},
        {"radio button", [] { return new QRadioButton; }, Kind::Radio},
        {"group box", [] { return new QGroupBox; }, Kind::Group},
        {"checkable group box",
         [] {
             auto* g = new QGroupBox;
             g->setCheckable(true);
             return g;
         },
         Kind::None},
        {"text label", [] { return new QLabel(QStringLiteral("a&b")); }, Kind::Static},
        {"picture label",
         [] {
             auto* l = new QLabel;
             QPixmap pixmap(4, 4);
             pixmap.fill(Qt::red);
             l->setPixmap(pixmap);
             return l;
         },
         Kind::None},
        {"edit", [] { return new QLineEdit; }, Kind::Edit},
        {"slider", [] { return new QSlider; }, Kind::None},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QWidget> widget(c.make());
        EXPECT_EQ(SkinWrap::KindOf(widget.get()), c.kind) << c.what;
    }
}

// A dialog with every control of the first half, wrapped with one of our
// themes; with ZUVO_SHOT_DIR set it is saved there as <theme>.png.
TEST(SkinWrapTest, OurThemesSkinEveryControlOfADialog)
{
    struct Theme
    {
        const char* name;
        int bmp, check, radio, edit;
    };
    for (const Theme& t :
         {Theme{"neostyle", 102, 1048, 1042, 1015}, Theme{"dlgstyle", 102, 1045, 1042, 1013}}) {
        const QString path = QStringLiteral(KELVO_SKIN_DIR "/%1/theme.ini").arg(t.name);
        ASSERT_TRUE(QFile::exists(path)) << t.name;
        QDialog dialog;
        dialog.setWindowTitle(QString::fromLatin1(t.name));
        dialog.resize(300, 330);
        QPalette palette = dialog.palette();
        palette.setBrush(
            QPalette::Window,
            QBrush(QImage(QStringLiteral(KELVO_SKIN_DIR "/%1/dialog.png").arg(t.name))));
        dialog.setPalette(palette);
        const auto place = [&](QWidget* w, int id, QRect where) {
            w->setGeometry(where);
            SetDlgCtrlID(w, id);
            return w;
        };
        auto* group = new QGroupBox(QStringLiteral("录音选项"), &dialog);
        place(group, -1, QRect(10, 10, 280, 150));
        place(new QLabel(QStringLiteral("文件名 & 位置:"), &dialog), 0, QRect(20, 30, 100, 20));
        place(new QLineEdit(QStringLiteral("我的铃声"), &dialog), t.edit, QRect(120, 30, 150, 22));
        auto* mask = new QLineEdit(&dialog);
        place(mask, t.edit, QRect(120, 60, 70, 22));
        auto* check = new QCheckBox(QStringLiteral("循环播放"), &dialog);
        place(check, t.check, QRect(20, 90, 120, 20))->setProperty("checked", true);
        place(new QCheckBox(QStringLiteral("淡入"), &dialog), t.check, QRect(150, 90, 120, 20));
        auto* radio = new QRadioButton(QStringLiteral("单声道"), &dialog);
        place(radio, t.radio, QRect(20, 120, 120, 20));
        radio->setChecked(true);
        auto* stereo = new QRadioButton(QStringLiteral("立体声"), &dialog);
        place(stereo, t.radio, QRect(150, 120, 120, 20))->setEnabled(false);
        place(new QPushButton(QStringLiteral("确定(&O)"), &dialog), 1, QRect(20, 180, 80, 26));
        auto* disabled = new QPushButton(QStringLiteral("取消"), &dialog);
        place(disabled, 2, QRect(110, 180, 80, 26))->setEnabled(false);
        auto* bmp = new QPushButton(&dialog);
        place(bmp, t.bmp, QRect(200, 180, 30, 28));
        SkinWrap::MarkBmpButton(bmp);

        ButtonSkin buttonSkin;
        EXPECT_TRUE(buttonSkin.Load(path)) << t.name;
        int wrapped = 0;
        for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child == mask)
                continue;
            EXPECT_NE(SkinWrap::Wrap(child, path, &buttonSkin), nullptr)
                << t.name << " " << child->metaObject()->className();
            ++wrapped;
        }
        auto* maskSkin = new CSkinMaskEdit(mask);
        maskSkin->SetMask(QStringLiteral("88:88:88"), QStringLiteral("__:__:__"),
                          QStringLiteral("01:23:45"), QStringLiteral("00:00:00"));
        maskSkin->LoadSkin(path);
        EXPECT_EQ(wrapped, 10);

        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const QByteArray shots = qgetenv("ZUVO_SHOT_DIR");
        if (!shots.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(shots));
            dialog.grab().save(QString::fromLocal8Bit(shots) + "/" + t.name + ".png");
        }
    }
}

} // namespace

#include "SkinWrapTest.moc"
