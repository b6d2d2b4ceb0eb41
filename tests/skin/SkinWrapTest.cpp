#include "skin/ButtonSkin.h"
#include "platform/DlgCtrlId.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinWrap.h"

#include <QCheckBox>
#include <QDialog>
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
        {"rich text label",
         [] {
             auto* l = new QLabel(QStringLiteral("a"));
             l->setTextFormat(Qt::RichText);
             return l;
         },
         Kind::None},
        {"label that shows its text as rich", [] { return new QLabel("<b>粗体</b>"); },
         Kind::None},
        {"plain label with tags",
         [] {
             auto* l = new QLabel("<b>粗体</b>");
             l->setTextFormat(Qt::PlainText);
             return l;
         },
         Kind::Static},
        {"edit", [] { return new QLineEdit; }, Kind::Edit},
        {"slider", [] { return new QSlider; }, Kind::None},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QWidget> widget(c.make());
        EXPECT_EQ(SkinWrap::KindOf(widget.get()), c.kind) << c.what;
    }
}

} // namespace

#include "SkinWrapTest.moc"
