#include "editor/WaveSaveDialog.h"

#include "editor/MP3CustDialog.h"
#include "publish/MessageBoxSink.h"
#include "editor/SaveFileCheck.h"
#include "publish/MessageBoxQuestion.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

const QString kMp3Filter = QStringLiteral("MP3 Audio (*.mp3)");
const QString kWavFilter = QStringLiteral("Wave Audio (*.wav)");

} // namespace

CWaveSaveDialog::CWaveSaveDialog(QWidget* parent, IMessageSink* messages, IQuestionBox* questions)
    : QFileDialog(parent), m_messages(messages), m_questions(questions)
{
    const QString caption = QGuiApplication::applicationDisplayName();
    if (!m_messages) {
        auto box = std::make_unique<MessageBoxSink>(caption, this);
        m_messages = box.get();
        m_ownMessages = std::move(box);
    }
    if (!m_questions) {
        auto box = std::make_unique<MessageBoxQuestion>(caption, this);
        m_questions = box.get();
        m_ownQuestions = std::move(box);
    }

    setOption(QFileDialog::DontUseNativeDialog);
    // The dialog asks itself, about the file the save writes.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(QStringLiteral("另存为"));
    setLabelText(QFileDialog::LookIn, QStringLiteral("保存在:"));
    setLabelText(QFileDialog::FileName, QStringLiteral("文件名:"));
    setLabelText(QFileDialog::FileType, QStringLiteral("保存类型:"));
    setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
    setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    setNameFilters({kMp3Filter, kWavFilter});
    selectNameFilter(kWavFilter);

    m_selectedPart = new QCheckBox(QStringLiteral("音频选取部分"), this);
    m_templates = new QComboBox(this);
    m_templates->setEditable(true);
    m_templates->setInsertPolicy(QComboBox::NoInsert);
    m_customize = new QPushButton(QStringLiteral("定制"), this);
    m_customize->setAutoDefault(false);
    m_customize->hide();

    // The extra rows go below the file type row, lined up with its label,
    // field and buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(QStringLiteral("保存内容:"), this), row, 0);
        grid->addWidget(m_selectedPart, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("保存模板:"), this), row + 1, 0);
        grid->addWidget(m_templates, row + 1, 1);
        grid->addWidget(m_customize, row + 1, 2);
    }
    m_nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));

    connect(this, &QFileDialog::filterSelected, this, &CWaveSaveDialog::OnTypeChange);
    connect(m_customize, &QPushButton::clicked, this, &CWaveSaveDialog::OnCustomize);
}

CWaveSaveDialog::~CWaveSaveDialog() = default;

int CWaveSaveDialog::FilterIndex() const
{
    return nameFilters().indexOf(selectedNameFilter()) + 1;
}

QString CWaveSaveDialog::TypedName() const
{
    if (m_nameEdit)
        return m_nameEdit->text();
    // Should a future file dialog name its field differently, the chosen
    // file's name still gets checked.
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : QFileInfo(files.first()).fileName();
}

void CWaveSaveDialog::FillTemplates()
{
    m_templates->clear();
    m_templates->addItem(QStringLiteral("默认"));
    // A WAV can also be saved in the ring format, ready for the phone.
    if (m_filterIndex != 1)
        m_templates->addItem(QStringLiteral("彩铃格式 (8000 Hz, 单声道, 16 位)"));
    m_templates->setCurrentIndex(0);
}

void CWaveSaveDialog::OnInitDialog()
{
    m_filterIndex = FilterIndex();
    FillTemplates();
    m_customize->setVisible(m_filterIndex == 1);
    if (m_selectionMs != 0) {
        m_selectedPart->setEnabled(true);
        m_selectedPart->setChecked(true);
    } else {
        m_selectedPart->setChecked(false);
        m_selectedPart->setEnabled(false);
    }
}

void CWaveSaveDialog::OnTypeChange()
{
    const int index = FilterIndex();
    if (index == m_filterIndex)
        return;
    m_filterIndex = index;
    FillTemplates();
    m_customize->setVisible(index == 1);
}

bool CWaveSaveDialog::OnFileNameOK()
{
    SaveChoice choice;
    choice.filterIndex = FilterIndex();
    choice.templateIndex = ChosenEntry(*m_templates);
    choice.selectedPart = m_selectedPart->isChecked();
    choice.selectionMs = m_selectionMs;
    choice.totalMs = m_totalMs;
    choice.folder = directory().absolutePath();
    choice.name = TypedName();

    const SaveCheck check = CheckSaveFileName(choice);
    if (!check.accepted) {
        if (!check.message.isEmpty())
            m_messages->ShowMessage(check.message);
        return false;
    }
    const QFileInfo target(check.path);
    if (!target.dir().exists()) {
        m_messages->ShowMessage(
            QStringLiteral("%1\n路径不存在。\n请检查路径是否正确，然后再试一次。")
                .arg(QDir::toNativeSeparators(target.absolutePath())));
        return false;
    }
    if (target.isDir()) {
        m_messages->ShowMessage(
            QStringLiteral("%1\n是一个文件夹，不能用作文件名。").arg(target.fileName()));
        return false;
    }
    if (target.exists() &&
        !m_questions->Ask(QStringLiteral("%1 已存在。\n要替换它吗？").arg(target.fileName()),
                          IQuestionBox::Buttons::YesNo))
        return false;
    m_options.saveType = check.saveType;
    m_options.selectedPart = check.selectedPart;
    m_options.outputPath = check.path;
    return true;
}

void CWaveSaveDialog::OnCustomize()
{
    auto* custom = new CMP3CustDialog(this);
    custom->setAttribute(Qt::WA_DeleteOnClose);
    connect(custom, &QDialog::accepted, this, [this, custom] {
        m_options.writeTag = custom->SaveTags();
        m_options.title = custom->Title();
        m_options.artist = custom->Artist();
        m_options.album = custom->Album();
        m_options.year = custom->Year();
        m_options.copyright = custom->Copyright();
        m_options.comment = custom->Comment();
        m_options.genre = custom->Genre();
        m_options.encoderOptions = custom->EncoderOptions();
    });
    custom->open();
}

void CWaveSaveDialog::accept()
{
    // Moving into a folder (its name typed or picked in the list, "..") is
    // the base dialog's business; only a file to save goes through the check.
    const QStringList files = selectedFiles();
    if (files.isEmpty() || QFileInfo(files.first()).isDir()) {
        QFileDialog::accept();
        return;
    }
    if (!OnFileNameOK())
        return;
    if (!m_nameEdit) {
        QFileDialog::accept();
        return;
    }
    // The base dialog closes. Handed the full path stored above, its own
    // checks see the file the save writes: it would otherwise expand a
    // leading '~' into a home folder.
    const QString typed = m_nameEdit->text();
    if (auto* view = findChild<QAbstractItemView*>(QStringLiteral("listView")))
        view->clearSelection();
    m_nameEdit->setText(m_options.outputPath);
    QFileDialog::accept();
    if (isVisible())
        m_nameEdit->setText(typed);
}

void CWaveSaveDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        OnInitDialog();
    QFileDialog::showEvent(event);
}
