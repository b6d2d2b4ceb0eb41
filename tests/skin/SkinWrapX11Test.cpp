#include "skin/ButtonSkin.h"
#include "platform/DlgCtrlId.h"
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
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A dialog with every control of the first half, wrapped with one of our
// themes; with ZUVO_SCREENSHOT_DIR set it is saved there as <theme>.png.
TEST(SkinWrapX11, OurThemesSkinEveryControlOfADialog)
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
        const QByteArray shots = qgetenv("ZUVO_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(shots));
            dialog.grab().save(QString::fromLocal8Bit(shots) + "/" + t.name + ".png");
        }
    }
}

} // namespace
