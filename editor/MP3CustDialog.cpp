#include "editor/MP3CustDialog.h"

#include "audio/Id3TagInfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace {

struct Entry
{
    const char* text;
    const char* option; // appended to the encoder's command line
};

const Entry kBitrates[] = {
    {"默认", ""},
    {"8 Kbps", " -b 8"},
    {"16 Kbps", " -b 16"},
    {"24 Kbps", " -b 24"},
    {"32 Kbps", " -b 32"},
    {"40 Kbps", " -b 40"},
    {"48 Kbps", " -b 48"},
    {"56 Kbps", " -b 56"},
    {"64 Kbps", " -b 64"},
    {"80 Kbps", " -b 80"},
    {"96 Kbps", " -b 96"},
    {"128 Kbps", " -b 128"},
    {"144 Kbps", " -b 144"},
    {"160 Kbps", " -b 160"},
    {"192 Kbps", " -b 192"},
    {"224 Kbps", " -b 224"},
    {"256 Kbps", " -b 256"},
    {"320 Kbps", " -b 320"},
};

const Entry kFrequencies[] = {
    {"默认", ""},
    {"8 kHz", " --resample 8"},
    {"11.025 kHz", " --resample 11.025"},
    {"12 kHz", " --resample 12"},
    {"16 kHz", " --resample 16"},
    {"22.05 kHz", " --resample 22.05"},
    {"24 kHz", " --resample 24"},
    {"32 kHz", " --resample 32"},
    {"44.1 kHz", " --resample 44.1"},
    {"48 kHz", " --resample 48"},
};

const Entry kModes[] = {
    {"默认", ""},        {"立体声", " -m s"}, {"混合立体声", " -m j"}, {"MS混合立体声", " -m f"},
    {"单声道", " -m m"},
};

template <size_t N> QString OptionOf(const Entry (&table)[N], int index)
{
    if (index < 0 || static_cast<size_t>(index) >= N)
        index = 0;
    return QString::fromUtf8(table[index].option);
}

template <size_t N> QStringList TextsOf(const Entry (&table)[N])
{
    QStringList texts;
    for (const Entry& entry : table)
        texts << QString::fromUtf8(entry.text);
    return texts;
}

QComboBox* MakeList(QWidget* parent, const QStringList& entries)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(entries);
    combo->setCurrentIndex(0);
    return combo;
}

QLabel* Label(const char* text, QWidget* buddy)
{
    auto* label = new QLabel(QString::fromUtf8(text), buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

QString Mp3EncoderOptions(int bitrateIndex, int frequencyIndex, int modeIndex)
{
    return OptionOf(kBitrates, bitrateIndex) + OptionOf(kFrequencies, frequencyIndex) +
           OptionOf(kModes, modeIndex);
}

QStringList Mp3BitrateEntries()
{
    return TextsOf(kBitrates);
}

QStringList Mp3FrequencyEntries()
{
    return TextsOf(kFrequencies);
}

QStringList Mp3ModeEntries()
{
    return TextsOf(kModes);
}

int ChosenEntry(const QComboBox& combo)
{
    const int index = combo.currentIndex();
    if (index < 0 || combo.currentText() != combo.itemText(index))
        return -1;
    return index;
}

const QStringList& CMP3CustDialog::Genres()
{
    return Id3TagInfo::Genres();
}

CMP3CustDialog::CMP3CustDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("设置MP3文件选项"));
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    setFont(font);

    auto* tags = new QGroupBox(QStringLiteral("MP3标签"), this);
    m_saveTagsBox = new QCheckBox(QStringLiteral("保存MP3标签到文件"), tags);
    m_titleEdit = new QLineEdit(tags);
    m_artistEdit = new QLineEdit(tags);
    m_albumEdit = new QLineEdit(tags);
    m_genreCombo = new QComboBox(tags);
    m_yearEdit = new QLineEdit(tags);
    m_copyrightEdit = new QLineEdit(tags);
    m_commentEdit = new QPlainTextEdit(tags);

    // The combo shows the genres sorted, as the user looks for a name; the
    // text is what counts, so the order they are added in does not matter.
    QStringList sorted = Genres();
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_genreCombo->setEditable(true);
    m_genreCombo->setInsertPolicy(QComboBox::NoInsert);
    m_genreCombo->addItems(sorted);
    m_genreCombo->setCurrentIndex(-1);
    m_genreCombo->setMaxVisibleItems(20);
    m_yearEdit->setMaxLength(4);
    m_commentEdit->setTabChangesFocus(true);
    m_commentEdit->setFixedHeight(m_titleEdit->sizeHint().height() * 3);

    auto* tagGrid = new QGridLayout;
    tagGrid->setHorizontalSpacing(8);
    tagGrid->setColumnStretch(1, 1);
    tagGrid->setColumnStretch(3, 1);
    tagGrid->setColumnMinimumWidth(2, 60);
    tagGrid->addWidget(Label("标  题:", m_titleEdit), 0, 0);
    tagGrid->addWidget(m_titleEdit, 0, 1);
    tagGrid->addWidget(Label("艺术家:", m_artistEdit), 0, 2, Qt::AlignRight);
    tagGrid->addWidget(m_artistEdit, 0, 3);
    tagGrid->addWidget(Label("专  辑:", m_albumEdit), 1, 0);
    tagGrid->addWidget(m_albumEdit, 1, 1);
    tagGrid->addWidget(Label("流  派:", m_genreCombo), 1, 2, Qt::AlignRight);
    tagGrid->addWidget(m_genreCombo, 1, 3);
    tagGrid->addWidget(Label("年  代:", m_yearEdit), 2, 0);
    tagGrid->addWidget(m_yearEdit, 2, 1);
    tagGrid->addWidget(Label("版  权:", m_copyrightEdit), 2, 2, Qt::AlignRight);
    tagGrid->addWidget(m_copyrightEdit, 2, 3);
    tagGrid->addWidget(Label("备  注:", m_commentEdit), 3, 0, Qt::AlignTop);
    tagGrid->addWidget(m_commentEdit, 3, 1, 1, 3);
    auto* tagColumn = new QVBoxLayout(tags);
    tagColumn->addWidget(m_saveTagsBox);
    tagColumn->addLayout(tagGrid);

    auto* encoder = new QGroupBox(QStringLiteral("MP3压缩选项"), this);
    m_bitrateCombo = MakeList(encoder, Mp3BitrateEntries());
    m_descriptionEdit = new QLineEdit(encoder);
    m_descriptionEdit->setReadOnly(true);
    m_descriptionEdit->setText(QStringLiteral("比特率越高，文件尺寸越大"));
    m_modeCombo = MakeList(encoder, Mp3ModeEntries());
    m_frequencyCombo = MakeList(encoder, Mp3FrequencyEntries());

    auto* encoderGrid = new QGridLayout(encoder);
    encoderGrid->setHorizontalSpacing(8);
    encoderGrid->setColumnStretch(1, 1);
    encoderGrid->setColumnStretch(3, 1);
    encoderGrid->setColumnMinimumWidth(2, 60);
    encoderGrid->addWidget(Label("比特率:", m_bitrateCombo), 0, 0);
    encoderGrid->addWidget(m_bitrateCombo, 0, 1);
    encoderGrid->addWidget(Label("描  述:", m_descriptionEdit), 0, 2, Qt::AlignRight);
    encoderGrid->addWidget(m_descriptionEdit, 0, 3);
    encoderGrid->addWidget(Label("模  式:", m_modeCombo), 1, 0);
    encoderGrid->addWidget(m_modeCombo, 1, 1);
    encoderGrid->addWidget(Label("频  率:", m_frequencyCombo), 1, 2, Qt::AlignRight);
    encoderGrid->addWidget(m_frequencyCombo, 1, 3);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMP3CustDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMP3CustDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tags);
    layout->addWidget(encoder);
    layout->addWidget(buttons);
    setMinimumWidth(560);

    m_saveTagsBox->setChecked(m_saveTags != 0);
    connect(m_saveTagsBox, &QCheckBox::toggled, this, &CMP3CustDialog::OnSaveTags);
}

void CMP3CustDialog::OnSaveTags()
{
    const bool on = m_saveTagsBox->isChecked();
    const std::initializer_list<QWidget*> tagControls = {
        m_titleEdit, m_artistEdit,    m_albumEdit,  m_genreCombo,
        m_yearEdit,  m_copyrightEdit, m_commentEdit};
    for (QWidget* control : tagControls)
        control->setEnabled(on);
}

void CMP3CustDialog::accept()
{
    m_saveTags = m_saveTagsBox->isChecked() ? 1 : 0;
    m_title = m_titleEdit->text();
    m_artist = m_artistEdit->text();
    m_album = m_albumEdit->text();
    m_genre = m_genreCombo->currentText();
    m_year = m_yearEdit->text();
    m_copyright = m_copyrightEdit->text();
    m_comment = m_commentEdit->toPlainText();
    m_bitrateIndex = ChosenEntry(*m_bitrateCombo);
    m_modeIndex = ChosenEntry(*m_modeCombo);
    m_frequencyIndex = ChosenEntry(*m_frequencyCombo);
    m_encoderOptions = Mp3EncoderOptions(m_bitrateIndex, m_frequencyIndex, m_modeIndex);
    QDialog::accept();
}
