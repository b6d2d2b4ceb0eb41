// The main dialog's commands: transport, recording, the selection's time
// fields, the lyrics, the open dialogs, the web pages and help, and the
// editor's notices that the displays follow.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "platform/IUrlOpener.h"
#include "publish/BrowserDlg.h"
#include "publish/LoginDialog.h"
#include "publish/ServiceProtocol.h"
#include "simple/SelectionFields.h"
#include "skin/SkinBmpButton.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinWin.h"
#include "skin/ThemeLocator.h"
#include "voice/Brevanta.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"
#include "voice/TimerShow.h"
#include "voice/WaveShow.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include <algorithm>

namespace {

// The open dialogs' filters; Linux names are case-sensitive, so each pattern
// is given in both cases.
const char kLyricsFilter[] = "LRC歌词文件 (*.LRC *.lrc)";
const char kMusicFilter[] =
    "所有文件 (*);;MP3文件 (*.mp3 *.MP3);;kox Files (*.kox *.KOX);;"
    "Windows音频文件 (*.wma *.WMA);;Windows流媒体文件 (*.asf *.ASF);;wav文件 (*.wav *.WAV)";

const char kLoadMusicFirst[] = "请加载音乐后再进行录音！";
const char kStopRecordingFirst[] = "当前正在录音，请停止录音后再执行操作！";
const char kStopPlayingFirst[] = "当前正在播放，请停止播放后再执行操作！";
const char kDeleteRecording[] = "您确定要删除当前录音数据吗？";

} // namespace

bool CKelvoDlg::RunDialog(QDialog& dialog)
{
    if (m_runDialog)
        return m_runDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool CKelvoDlg::EnsureLoggedIn()
{
    if (!m_loggedIn) {
        CLoginDialog dialog(m_messages, this, CLoginDialog::Edition::Kelvo);
        ApplySkin(ThemeLocator::Find(QStringLiteral("skin/dlgstyle/theme.ini")), &dialog);
        if (RunDialog(dialog) && dialog.IsLoggedIn()) {
            m_loggedIn = 1;
            m_loginId = dialog.Mobile();
        }
    }
    return m_loggedIn != 0;
}

QString CKelvoDlg::HelpPagePath()
{
    return ThemeLocator::Find(QStringLiteral("help/index.html"));
}

void CKelvoDlg::ConnectCommands()
{
    const auto command = [this](int id, void (CKelvoDlg::*handler)()) {
        if (auto* button = qobject_cast<QPushButton*>(Control(id)))
            connect(button, &QPushButton::clicked, this, handler);
    };
    command(102, &CKelvoDlg::OnRecord);
    command(103, &CKelvoDlg::OnLoopPlay);
    command(104, &CKelvoDlg::OnPlayFromStart);
    command(105, &CKelvoDlg::OnPlayFromCursor);
    command(1052, &CKelvoDlg::OnPlayFromCursor);
    command(106, &CKelvoDlg::OnPause);
    command(1051, &CKelvoDlg::OnPause);
    command(107, &CKelvoDlg::OnStop);
    command(1053, &CKelvoDlg::OnStop);
    command(108, &CKelvoDlg::OnGoToStart);
    command(109, &CKelvoDlg::OnClearSelection);
    command(111, &CKelvoDlg::OnLoadLyrics);
    command(113, &CKelvoDlg::OnDeleteRecording);
    command(116, &CKelvoDlg::OnClearMusic);
    command(1006, &CKelvoDlg::OnWebMaterials);
    command(1007, &CKelvoDlg::OnOpenMusic);
    command(1041, &CKelvoDlg::OnRingManagement);
    command(1061, &CKelvoDlg::OnOpenServiceSite);
    command(1063, &CKelvoDlg::OnOpenMusicPortal);
    for (QCheckBox* check : {m_voiceCheck, m_musicCheck})
        connect(check, &QCheckBox::toggled, this, &CKelvoDlg::OnPlaybackCheck);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CKelvoDlg::OnHelp);

    // Leaving a field applies it; so does Enter in it (which never reaches
    // the dialog's own Enter handling).
    for (QLineEdit* edit : {m_startEdit, m_endEdit, m_lengthEdit})
        edit->installEventFilter(this);

    // The editor's notices, posted as its window messages were.
    connect(
        m_editor, &CBrevanta::PLAY_STOPPED, this, [this] { AfterPlayStopped(); },
        Qt::QueuedConnection);
    connect(
        m_editor, &CBrevanta::PLAY_POSITION, this,
        [this] {
            if (m_editor->IsPlaying())
                return;
            const uint32_t t = CursorTime();
            m_clock->SetTime(t);
            m_lyrics->StopAt(int(t));
        },
        Qt::QueuedConnection);
    connect(
        m_editor, &CBrevanta::LOOP_RESTARTED, this,
        [this] {
            if (m_editor->IsPlaying())
                AfterPlayStarted(int(m_editor->GetPlayPosition()));
        },
        Qt::QueuedConnection);
}

bool CKelvoDlg::eventFilter(QObject* watched, QEvent* event)
{
    const bool field = watched == m_startEdit || watched == m_endEdit || watched == m_lengthEdit;
    if (!field || m_closed)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // The field's own menu takes the focus only for a moment.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (watched == m_startEdit)
                OnEnKillfocusStartTime();
            else if (watched == m_endEdit)
                OnEnKillfocusEndTime();
            else
                OnEnKillfocusLength();
        }
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CKelvoDlg::accept()
{
    // Enter applies the focused field; the dialog stays.
    ApplyFocusedEdit();
}

void CKelvoDlg::ApplyFocusedEdit()
{
    QWidget* focused = focusWidget();
    if (focused == m_startEdit)
        OnEnKillfocusStartTime();
    else if (focused == m_endEdit)
        OnEnKillfocusEndTime();
    else if (focused == m_lengthEdit)
        OnEnKillfocusLength();
}

namespace {

SelectionFields::Texts FieldTexts(const QLineEdit* start, const QLineEdit* end,
                                  const QLineEdit* length)
{
    return {start->text(), end->text(), length->text()};
}

} // namespace

void CKelvoDlg::ApplyFieldOutcome(int field)
{
    // Read-only fields (until the first music notice) hold nothing typed.
    if (!m_startMask || m_startEdit->isReadOnly())
        return;
    const SelectionFields::Texts texts = FieldTexts(m_startEdit, m_endEdit, m_lengthEdit);
    const int64_t total = m_editor->GetMusicLength();
    SelectionFields::Outcome outcome;
    if (field == 1015)
        outcome = SelectionFields::StartEdited(texts, total);
    else if (field == 1031)
        outcome = SelectionFields::EndEdited(texts, total);
    else
        outcome = SelectionFields::LengthEdited(texts, total);

    const auto show = [](CSkinMaskEdit* mask, QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            mask->SetMaskedText(text);
    };
    show(m_startMask, m_startEdit, outcome.texts.start);
    show(m_endMask, m_endEdit, outcome.texts.end);
    show(m_lengthMask, m_lengthEdit, outcome.texts.length);

    const int endX = m_editor->MsToX(outcome.end);
    // The length field moves only the end; a start the fields never applied
    // would leave it behind the end, so it moves along then.
    if (outcome.setsStart || m_editor->GetSelectionStart() > endX)
        m_editor->SetSelectionStart(m_editor->MsToX(outcome.start));
    m_editor->SetSelectionEnd(endX);
    m_editor->update();
}

void CKelvoDlg::OnEnKillfocusStartTime()
{
    ApplyFieldOutcome(1015);
}

void CKelvoDlg::OnEnKillfocusEndTime()
{
    ApplyFieldOutcome(1031);
}

void CKelvoDlg::OnEnKillfocusLength()
{
    ApplyFieldOutcome(1030);
}

uint32_t CKelvoDlg::CursorTime() const
{
    return uint32_t(std::max(0, m_editor->XToMs(m_editor->GetEditCursor())));
}

void CKelvoDlg::AfterPlayStarted(int t)
{
    m_spectrum->Start();
    m_lyrics->Start(t);
    m_clock->Start(uint32_t(std::max(0, t)));
}

void CKelvoDlg::AfterPlayStopped()
{
    const uint32_t t = CursorTime();
    m_spectrum->Stop();
    m_lyrics->StopAt(int(t));
    m_clock->Stop();
    m_clock->SetTime(t);
}

void CKelvoDlg::OnRecord()
{
    ApplyFocusedEdit();
    auto* button = qobject_cast<QPushButton*>(Control(102));
    const auto setOff = [&] {
        if (m_recordButton)
            m_recordButton->SetCheck(false);
        else
            button->setChecked(false);
    };
    if (!button->isChecked()) {
        m_editor->Stop();
        m_lyrics->StopAt(0);
        m_clock->Stop();
        return;
    }
    // The generated silence counts as music: a voice may be recorded over it.
    if (!m_editor->IsMusicLoaded()) {
        m_messages.ShowMessage(QString::fromUtf8(kLoadMusicFirst));
        setOff();
        return;
    }
    if (m_editor->StartRecord() != 1) {
        // Nothing records: the button must not say otherwise.
        setOff();
        return;
    }
    AfterPlayStarted(int(CursorTime()));
}

void CKelvoDlg::OnLoopPlay()
{
    ApplyFocusedEdit();
    auto* button = qobject_cast<QPushButton*>(Control(103));
    m_editor->SetLoopMode(button->isChecked());
}

void CKelvoDlg::OnPlayFromStart()
{
    ApplyFocusedEdit();
    if (m_editor->PlayFromStart() == 1)
        AfterPlayStarted(0);
}

void CKelvoDlg::OnPlayFromCursor()
{
    ApplyFocusedEdit();
    if (m_editor->Play() == 1)
        AfterPlayStarted(int(m_editor->GetPlayPosition()));
}

void CKelvoDlg::OnPause()
{
    ApplyFocusedEdit();
    m_editor->Pause();
    AfterPlayStopped();
}

void CKelvoDlg::OnStop()
{
    ApplyFocusedEdit();
    m_editor->Stop();
    AfterPlayStopped();
}

void CKelvoDlg::OnGoToStart()
{
    ApplyFocusedEdit();
    m_editor->MoveCursorToStart();
}

void CKelvoDlg::OnClearSelection()
{
    ApplyFocusedEdit();
    m_editor->ClearSelection();
}

void CKelvoDlg::OnLoadLyrics()
{
    ApplyFocusedEdit();
    const QString filter = QString::fromUtf8(kLyricsFilter);
    const QString path = m_chooseFile
                             ? m_chooseFile(this, filter)
                             : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    if (path.isEmpty())
        return;
    m_lyrics->LoadLrc(path);
    if (m_editor->IsPlaying())
        m_lyrics->Start(int(m_editor->GetPlayPosition()));
}

void CKelvoDlg::OnDeleteRecording()
{
    ApplyFocusedEdit();
    if (m_editor->IsRecording()) {
        m_messages.ShowMessage(QString::fromUtf8(kStopRecordingFirst));
        return;
    }
    if (m_editor->IsPlaying()) {
        m_messages.ShowMessage(QString::fromUtf8(kStopPlayingFirst));
        return;
    }
    if (!m_editor->GetVoice().HasData())
        return;
    if (m_questions.Ask(QString::fromUtf8(kDeleteRecording), IQuestionBox::Buttons::OkCancel))
        m_editor->DeleteRecording();
}

void CKelvoDlg::OnClearMusic()
{
    ApplyFocusedEdit();
    if (!m_editor->ClearMusic())
        return;
    // The playback it ended leaves the clock and the spectrum still.
    m_spectrum->Stop();
    m_clock->Stop();
    m_lyrics->Clear();
    m_songInfo->Reset();
}

void CKelvoDlg::OnWebMaterials()
{
    ApplyFocusedEdit();
    if (!m_browser->Navigate(QString::fromStdString(ServiceUrl(ServicePath::kSongList)))) {
        m_messages.ShowMessage(CBrowserDlg::kEngineMissing);
        return;
    }
    m_browser->show();
    m_browser->raise();
}

void CKelvoDlg::OnOpenMusic()
{
    ApplyFocusedEdit();
    if (m_busy.load())
        return;
    const QString filter = QString::fromUtf8(kMusicFilter);
    const QString path = m_chooseFile
                             ? m_chooseFile(this, filter)
                             : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    if (!path.isEmpty())
        LoadMusicFile(path);
}

void CKelvoDlg::OnRingManagement()
{
    ApplyFocusedEdit();
    if (!EnsureLoggedIn())
        return;
    if (!m_browser->Navigate(QString::fromStdString(ServiceUrl(ServicePath::kRingLibrary)))) {
        m_messages.ShowMessage(CBrowserDlg::kEngineMissing);
        return;
    }
    m_browser->show();
    m_browser->raise();
}

void CKelvoDlg::OnPlaybackCheck()
{
    m_editor->MuteMusic(!m_musicCheck->isChecked());
    m_editor->MuteVoice(!m_voiceCheck->isChecked());
}

void CKelvoDlg::OnOpenServiceSite()
{
    const QString url = QString::fromStdString(ServiceHomePageUrl());
    if (!m_urls.OpenUrl(QUrl(url)))
        m_messages.ShowMessage(QStringLiteral("无法打开网页『%1』。").arg(url));
}

void CKelvoDlg::OnOpenMusicPortal()
{
    const QString url = QString::fromStdString(MusicPortalUrl());
    if (!m_urls.OpenUrl(QUrl(url)))
        m_messages.ShowMessage(QStringLiteral("无法打开网页『%1』。").arg(url));
}

void CKelvoDlg::OnHelp()
{
    const QFileInfo page(m_helpPage.isEmpty() ? HelpPagePath() : m_helpPage);
    if (!page.isFile()) {
        m_messages.ShowMessage(
            QStringLiteral("找不到帮助文件『%1』！").arg(page.absoluteFilePath()));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(page.absoluteFilePath());
    if (!m_urls.OpenUrl(url))
        m_messages.ShowMessage(
            QStringLiteral("无法打开帮助文件『%1』。").arg(page.absoluteFilePath()));
}

void CKelvoDlg::OnLyricsFile(const QString& path)
{
    // Lyrics belong to the music loaded now, not to one that failed to open.
    if (m_loadedMusicPath.isEmpty() || GetPathTitle(path) != GetPathTitle(m_loadedMusicPath))
        return;
    m_lyrics->LoadLrc(path);
    if (m_editor->IsPlaying())
        m_lyrics->Start(int(m_editor->GetPlayPosition()));
}
