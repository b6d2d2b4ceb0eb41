// Draws the images of Kelvo's two themes and writes their theme files in the
// GBK text the theme reader expects, so the art is reproducible from code.
//
//   skin-art SOURCE OUTPUT [--sheet SHEET.png]
//
// SOURCE holds <theme>/theme.ini in UTF-8; OUTPUT receives <theme>/theme.ini
// in GBK and every image. --sheet also renders all images, magnified and
// labelled, into one PNG for review.
#include "ThemeArt.h"

#include "platform/TextCoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <string>

namespace {

struct Theme
{
    const char* name;
    int captionHeight;
    bool full;
};

constexpr Theme kThemes[] = {{"neostyle", 30, true}, {"dlgstyle", 28, false}};

bool WriteGbkCopy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "skin-art: cannot read %s\n", qPrintable(source));
        return false;
    }
    std::string gbk;
    WideToGbk(gbk, QString::fromUtf8(in.readAll()));
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(gbk.data(), static_cast<qint64>(gbk.size())) != qint64(gbk.size())) {
        std::fprintf(stderr, "skin-art: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}

// A dialog put together from the theme's pieces the way the frame skin draws
// it, with a few controls, to see that the pieces fit.
QImage Preview(const QString& folder, int t)
{
    const auto img = [&](const char* name) { return QImage(folder + u'/' + QLatin1String(name)); };
    const QImage top = img("top.png"), left = img("left.png"), right = img("right.png"),
                 bottom = img("bottom.png"), button = img("button.png"), check = img("check.png"),
                 radio = img("radio.png"), close = img("close.png"),
                 minimise = img("minimise.png"), maximise = img("maximise.png");
    const int w = 360, h = 200, side = left.width() / 2, b = bottom.height() / 2;
    QImage dialog(w, h, QImage::Format_RGB32);
    dialog.fill(QColor(0xEC, 0xEF, 0xF3));
    QPainter p(&dialog);
    for (int x = side; x < w - side; x += top.width())
        p.drawImage(x, 0, top, 0, 0, std::min(top.width(), w - side - x), t);
    for (int x = side; x < w - side; x += bottom.width())
        p.drawImage(x, h - b, bottom, 0, 0, std::min(bottom.width(), w - side - x), b);
    const auto sideStrip = [&](const QImage& strip, int x) {
        const int end = 5;
        p.drawImage(x, 0, strip, 0, 0, side, t);
        for (int y = t; y < h - end; y += strip.height() - t - end)
            p.drawImage(x, y, strip, 0, t, side, std::min(strip.height() - t - end, h - end - y));
        p.drawImage(x, h - end, strip, 0, strip.height() - end, side, end);
    };
    sideStrip(left, 0);
    sideStrip(right, w - side);
    const auto titleButton = [&](const QImage& strip, int xCoord, int cell) {
        // Drawn leaving the key colour out, as the frame skin draws them.
        QImage keyed = strip.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < keyed.height(); ++y)
            for (int x = 0; x < keyed.width(); ++x)
                if (keyed.pixelColor(x, y) == QColor(255, 0, 255))
                    keyed.setPixelColor(x, y, Qt::transparent);
        const int cw = strip.width() / 3;
        p.drawImage(w - xCoord, (t - strip.height()) / 2 + 1, keyed, cell * cw, 0, cw,
                    strip.height());
    };
    titleButton(close, 35, 2);
    titleButton(maximise, 63, 0);
    titleButton(minimise, 91, 0);
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(QColor(0x1F, 0x29, 0x33));
    p.drawText(QRect(28, 2, 200, t - 2), Qt::AlignVCenter, QString::fromUtf8("铃音保存设置"));
    // Push buttons: normal and hover cells cut in nine parts with 4-px borders.
    const auto push = [&](int cell, const QRect& r, const char* text) {
        const int c = button.width() / 5, x0 = cell * c, bh = button.height();
        const QImage piece = button.copy(x0, 0, c, bh);
        const QImage centre =
            piece.copy(4, 4, c - 8, bh - 8).scaled(r.width() - 8, r.height() - 8);
        p.drawImage(r.x() + 4, r.y() + 4, centre);
        p.drawImage(QRect(r.x() + 4, r.y(), r.width() - 8, 4), piece.copy(4, 0, c - 8, 4));
        p.drawImage(QRect(r.x() + 4, r.bottom() - 3, r.width() - 8, 4),
                    piece.copy(4, bh - 4, c - 8, 4));
        p.drawImage(QRect(r.x(), r.y() + 4, 4, r.height() - 8), piece.copy(0, 4, 4, bh - 8));
        p.drawImage(QRect(r.right() - 3, r.y() + 4, 4, r.height() - 8),
                    piece.copy(c - 4, 4, 4, bh - 8));
        p.drawImage(r.x(), r.y(), piece, 0, 0, 4, 4);
        p.drawImage(r.right() - 3, r.y(), piece, c - 4, 0, 4, 4);
        p.drawImage(r.x(), r.bottom() - 3, piece, 0, bh - 4, 4, 4);
        p.drawImage(r.right() - 3, r.bottom() - 3, piece, c - 4, bh - 4, 4, 4);
        p.drawText(r, Qt::AlignCenter, QString::fromUtf8(text));
    };
    push(0, QRect(180, 160, 76, 24), "确定");
    push(3, QRect(264, 160, 76, 24), "取消");
    const auto box = [&](const QImage& strip, int cell, int y, const char* text) {
        p.drawImage(20, y, strip, cell * 14, 0, 14, 14);
        p.drawText(QRect(37, y - 3, 200, 20), Qt::AlignVCenter, QString::fromUtf8(text));
    };
    box(radio, 0, 48, "素材音乐");
    box(radio, 3, 70, "录音数据");
    box(radio, 4, 92, "铃音合成");
    box(check, 1, 122, "自动添加到我的铃音库");
    box(check, 2, 144, "愿意和其他人分享我的彩铃");
    p.setPen(QColor(0xC3, 0xCA, 0xD2));
    p.drawRect(180, 48, 159, 21);
    p.fillRect(181, 49, 158, 20, Qt::white);
    p.setPen(QColor(0x1F, 0x29, 0x33));
    p.drawText(QRect(186, 48, 150, 22), Qt::AlignVCenter, QString::fromUtf8("我的彩铃 01"));
    p.end();
    // The key colour shows what the window region cuts away.
    for (int y = 0; y < dialog.height(); ++y)
        for (int x = 0; x < dialog.width(); ++x)
            if (dialog.pixelColor(x, y) == QColor(255, 0, 255))
                dialog.setPixelColor(x, y, QColor(0x9A, 0xA3, 0xAD));
    return dialog;
}

bool RenderSheet(const QString& output, const QString& sheetPath)
{
    const int zoom = 2;
    const int width = 1600;
    struct Item
    {
        QString label;
        QImage image;
    };
    QList<Item> items;
    for (const Theme& theme : kThemes)
        items.push_back({QStringLiteral("preview: ") + QLatin1String(theme.name),
                         Preview(output + u'/' + QLatin1String(theme.name), theme.captionHeight)});
    for (const Theme& theme : kThemes) {
        const QDir dir(output + u'/' + QLatin1String(theme.name));
        for (const QString& name :
             dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
            items.push_back({QLatin1String(theme.name) + u'/' + name, QImage(dir.filePath(name))});
    }
    // Lay the items out in rows, each image magnified without smoothing.
    int x = 16, y = 16, rowHeight = 0;
    QList<QPoint> places;
    for (const Item& item : items) {
        const QSize size = item.image.size() * zoom + QSize(0, 18);
        const int w = std::max(size.width(), 140);
        if (x + w > width - 16) {
            x = 16;
            y += rowHeight + 16;
            rowHeight = 0;
        }
        places.push_back(QPoint(x, y));
        x += w + 24;
        rowHeight = std::max(rowHeight, size.height());
    }
    QImage sheet(width, y + rowHeight + 16, QImage::Format_RGB32);
    sheet.fill(QColor(0x9A, 0xA3, 0xAD));
    QPainter painter(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QPoint at = places[i];
        painter.setPen(Qt::black);
        painter.drawText(at + QPoint(0, 12), items[i].label);
        const QImage& image = items[i].image;
        painter.drawImage(
            QRect(at + QPoint(0, 18), image.size() * zoom),
            image.scaled(image.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    painter.end();
    if (!sheet.save(sheetPath, "PNG")) {
        std::fprintf(stderr, "skin-art: cannot write %s\n", qPrintable(sheetPath));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && !(args.size() == 5 && args[3] == QLatin1String("--sheet"))) {
        std::fprintf(stderr, "usage: skin-art SOURCE OUTPUT [--sheet SHEET.png]\n");
        return 2;
    }
    const QString source = args[1];
    const QString output = args[2];
    bool ok = true;
    for (const Theme& theme : kThemes) {
        const QString folder = output + u'/' + QLatin1String(theme.name);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "skin-art: cannot create %s\n", qPrintable(folder));
            return 1;
        }
        ok = WriteGbkCopy(source + u'/' + QLatin1String(theme.name) + QStringLiteral("/theme.ini"),
                          folder + QStringLiteral("/theme.ini")) &&
             ok;
        ok = DrawThemeArt(folder, theme.captionHeight, theme.full) && ok;
    }
    if (ok && args.size() == 5)
        ok = RenderSheet(output, args[4]);
    return ok ? 0 : 1;
}
