// Feeds arbitrary bytes to the theme reader and the theme image loader: the
// bytes become a theme file whose every key the skinned classes read is read,
// and the same bytes become an image that a theme value names, which is loaded,
// drawn with a key colour and turned into a region.
#include "skin/MyBitmap.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include "tests/skin/ThemeKeys.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Fixture
{
    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "theme_fuzz";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    std::unique_ptr<QGuiApplication> app;
    QTemporaryDir folder;
};

void WriteFile(const QString& path, const uint8_t* data, size_t size)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

void Exercise(CMyBitmap& bitmap)
{
    if (!bitmap.IsLoaded() || bitmap.GetWidth() > 4096 || bitmap.GetHeight() > 4096)
        return;
    QImage paper(32, 32, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    bitmap.DrawTrans(&painter, 0, 0, QRect(1, 1, 40, 40), 0xFF00FF, true);
    bitmap.TileDraw(&painter, QRect(0, 0, 32, 32), QRect(0, 0, 7, 5), 0xFF00FF, true);
    bitmap.StretchDraw(&painter, QRect(0, 0, 31, 17));
    painter.end();
    (void)bitmap.CreateRegion(0xFF00FF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    const QString theme = fixture.folder.filePath("theme.ini");
    WriteFile(theme, data, size);
    // The image every theme value resolves to when it names "image.bin".
    WriteFile(fixture.folder.filePath("image.bin"), data, size);

    const CProfileFile file = CProfileFile::Load(theme);
    std::vector<ThemeKeys::Use> uses = ThemeKeys::MainDialogUses();
    for (const ThemeKeys::Use& use : ThemeKeys::SecondaryDialogUses())
        uses.push_back(use);
    for (const ThemeKeys::Use& use : uses) {
        for (const QString& section : ThemeKeys::SectionNames(use)) {
            for (const ThemeKeys::Key& key : use.kind->keys) {
                switch (key.kind) {
                case ThemeKeys::Kind::Int:
                    (void)file.GetInt(section, key.name, -1);
                    break;
                case ThemeKeys::Kind::Colour:
                    (void)ReadProfileColor(file, section, key.name, 0xFF00FF);
                    break;
                case ThemeKeys::Kind::Text:
                    (void)file.GetString(section, key.name);
                    break;
                case ThemeKeys::Kind::Image:
                    // Only names that point at the fuzzed image are loaded, so
                    // the input cannot make the target open other files.
                    if (GetPathFileName(file.GetString(section, key.name), true) ==
                        QLatin1String("image.bin")) {
                        CMyBitmap bitmap;
                        LoadThemeImage(bitmap, section, key.name, theme);
                        Exercise(bitmap);
                    }
                    break;
                }
            }
        }
    }
    CMyBitmap direct;
    direct.LoadImage(fixture.folder.filePath("image.bin"), CEnBitmap::kNoBackground);
    Exercise(direct);
    return 0;
}
