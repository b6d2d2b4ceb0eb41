#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "audio/IAudioPlayer.h"
#include "platform/AppSettings.h"
#include "platform/ColorRef.h"
#include "platform/DlgCtrlId.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "publish/BrowserDlg.h"
#include "publish/ListMyRing.h"
#include "publish/ProgressDialog.h"
#include "publish/RingPublisher.h"
#include "publish/SimpleProgress.h"
#include "simple/AboutDlg.h"
#include "simple/ColouredToolTip.h"
#include "simple/ListDownloadCtrl.h"
#include "simple/ListResourceCtrl.h"
#include "simple/SelectionFields.h"
#include "simple/UpdateCheck.h"
#include "skin/SkinBmpButton.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinPlacement.h"
#include "skin/SkinWin.h"
#include "skin/SkinWrap.h"
#include "skin/TabCtrl.h"
#include "skin/ThemeLocator.h"
#include "voice/Brevanta.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"
#include "voice/TimerShow.h"
#include "voice/WaveShow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>

namespace {

// The client area the neostyle theme is drawn for.
constexpr int kClientWidth = 720;
constexpr int kClientHeight = 520;

// Places of the controls the theme leaves to the dialog, in the client area:
// the displays above the editor, the selection fields and the volumes to the
// left under the transport row, the lists to the right, beside the theme's
// column of list buttons.
const QRect kSpectrumRect(12, 10, 150, 56);
const QRect kClockRect(176, 12, 84, 26);
const QRect kSongInfoRect(176, 42, 290, 26);
const QRect kLyricsRect(12, 72, 654, 22);
const QRect kMusicVolume2Label(486, 14, 50, 18);
const QRect kMusicVolume2Rect(540, 16, 120, 14);
const QRect kEditorRect(12, 100, 696, 184);
const QRect kSelectionGroup(12, 330, 140, 144);
const QRect kVolumeGroup(160, 330, 140, 144);
const QRect kTabRect(308, 330, 362, 144);
constexpr int kFieldLeft = 64, kFieldWidth = 76, kFieldHeight = 20;
constexpr int kFieldTop[3] = {354, 392, 430};

// Bitmap buttons with their captions (also their accessible names) and, for
// the twelve of the tool row, their tooltips.
struct ButtonSpec
{
    int id;
    const char* caption;
    const char* tip;
};
const ButtonSpec kButtons[] = {
    {102, "录音", "录音"},
    {103, "循环播放", "循环播放"},
    {104, "从头播放", "从头播放"},
    {105, "从光标处播放", "从光标处播放"},
    {106, "暂停", "暂停"},
    {107, "停止", "停止"},
    {108, "到起始点", "到起始点"},
    {109, "取消选择", "取消选择"},
    {111, "加载歌词", "加载歌词"},
    {113, "删除录音", "删除录音片断"},
    {114, "保存铃音", "保存铃音到我的铃音库"},
    {116, "删除音乐", "清除音乐"},
    {119, "上传", nullptr},
    {1006, "网上素材", nullptr},
    {1007, "本机音乐", nullptr},
    {1019, "上传铃音", nullptr},
    {1041, "彩铃管理", nullptr},
    {1051, "暂停", nullptr},
    {1052, "播放", nullptr},
    {1053, "停止", nullptr},
    {1061, "Varenth彩铃Zuvo", nullptr},
    {1063, "音乐门户", nullptr},
};

// The dialog's tooltips: 0xE1FFFF on 0xC80000 as the desktop keeps colours.
constexpr ColorRef kTipBackground = 0xE1FFFF;
constexpr ColorRef kTipText = 0xC80000;

// An integer setting; false when it is missing or not a whole number.
bool ReadInt(const AppSettings& settings, const QString& key, int* value)
{
    const QVariant stored = settings.Value(key);
    if (!stored.isValid())
        return false;
    bool ok = false;
    const int number = stored.toString().trimmed().toInt(&ok);
    if (ok)
        *value = number;
    return ok;
}

} // namespace

CKelvoDlg::CKelvoDlg(const Services& services, QWidget* parent)
    : QDialog(parent), m_messages(services.messages), m_questions(services.questions),
      m_urls(services.urls)
{
    setWindowTitle(QStringLiteral("Varenth彩铃Zuvo"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_runAbout = [](CAboutDlg& about) { about.exec(); };

    // What the dialog's creation makes: the web page window, hidden until a
    // page is asked for.
    m_browser = new CBrowserDlg(this);

    m_progress = new CProgressDialog(this, CProgressDialog::Edition::Kelvo);
    m_clock = new CTimerShow(this);
    m_lyrics = new CLyricsShow(this);
    m_spectrum = new CWaveShow(this);
    m_songInfo = new CSongInfoShow(this);
    m_editor = new CBrevanta(m_progress, &m_messages, &m_busy, this, services.players);
    CreateControls();
}

CKelvoDlg::~CKelvoDlg()
{
    CloseRoutine();
}

void CKelvoDlg::CreateControls()
{
    const auto add = [this](QWidget* widget, int id, const QRect& rect) {
        SetDlgCtrlID(widget, id);
        widget->setGeometry(rect);
        if (id > 0)
            m_controls[id] = widget;
    };
    add(m_spectrum, 1011, kSpectrumRect);
    add(m_clock, 1010, kClockRect);
    add(m_songInfo, 1024, kSongInfoRect);
    add(m_lyrics, 1016, kLyricsRect);
    add(m_editor, 1012, kEditorRect);

    for (const ButtonSpec& spec : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(spec.caption), this);
        SetDlgCtrlID(button, spec.id);
        button->setAccessibleName(button->text());
        // Enter must not press a tool: it applies a time field.
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        if (spec.tip)
            button->setToolTip(QString::fromUtf8(spec.tip));
        // Record and loop stay down while on.
        button->setCheckable(spec.id == 102 || spec.id == 103);
        SkinWrap::MarkBmpButton(button);
        m_controls[spec.id] = button;
    }

    auto* volumeLabel = new QLabel(QStringLiteral("音量："), this);
    volumeLabel->setGeometry(kMusicVolume2Label);
    volumeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const auto slider = [&](int id, const QRect& rect) {
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(kSliderMin, 0);
        add(s, id, rect);
        return s;
    };
    m_musicVolume2 = slider(1050, kMusicVolume2Rect);

    auto* selection = new QGroupBox(QStringLiteral("选择区域"), this);
    SetDlgCtrlID(selection, -1);
    selection->setGeometry(kSelectionGroup);
    const char* const fieldNames[3] = {"开始：", "结束：", "长度："};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromUtf8(fieldNames[i]), this);
        label->setGeometry(22, kFieldTop[i], kFieldLeft - 24, kFieldHeight);
    }

    auto* volumes = new QGroupBox(QStringLiteral("音量控制"), this);
    SetDlgCtrlID(volumes, -1);
    volumes->setGeometry(kVolumeGroup);
    m_musicCheck = new QCheckBox(QStringLiteral("音乐播放："), this);
    add(m_musicCheck, 1049, QRect(172, 352, 120, 18));
    m_musicVolume = slider(1017, QRect(172, 376, 120, 14));
    m_voiceCheck = new QCheckBox(QStringLiteral("录音播放："), this);
    add(m_voiceCheck, 1048, QRect(172, 408, 120, 18));
    m_recordVolume = slider(1018, QRect(172, 432, 120, 14));

    m_tab = new CTabCtrl(this);
    add(m_tab, 1043, kTabRect);
}

void CKelvoDlg::OnInitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;

    // The theme skins the dialog and every control made so far.
    m_themePath = ThemeLocator::Find(QStringLiteral("skin/neostyle/theme.ini"));
    ApplySkin(m_themePath, this);
    if (CSkinWin* skin = CSkinWin::Of(this)) {
        QMenu* menu = skin->SystemMenu();
        menu->addSeparator();
        connect(menu->addAction(QStringLiteral("关于 Kelvo(&A)...")), &QAction::triggered, this,
                &CKelvoDlg::OnAbout);
    }
    // The client area the theme is laid out for, inside its frame.
    const QMargins margins = contentsMargins();
    setFixedSize(kClientWidth + margins.left() + margins.right(),
                 kClientHeight + margins.top() + margins.bottom());

    m_recordButton = m_controls[102]->findChild<CSkinBmpButton*>();
    m_loopButton = m_controls[103]->findChild<CSkinBmpButton*>();
    if (m_recordButton)
        m_recordButton->LoadSkin(m_themePath);
    if (m_loopButton)
        m_loopButton->LoadSkin(m_themePath);
    m_editor->LoadSkin(m_themePath);
    m_clock->LoadSkin(m_themePath);
    m_lyrics->LoadSkin(m_themePath);
    m_songInfo->LoadSkin(m_themePath);
    m_spectrum->LoadSkin(m_themePath);

    m_tab->InsertItem(0, QStringLiteral("已下载素材"));
    m_tab->InsertItem(1, QStringLiteral("我的铃音库"));
    m_tab->InsertItem(2, QStringLiteral("音乐下载任务"));
    connect(m_tab, &CTabCtrl::SelChange, this, &CKelvoDlg::OnTcnSelchangeTab);
    PlaceLists();
    FillLists();
    CreateTimeEdits();

    m_editor->EnumWmaFormats();
    m_editor->MuteMusic(false);
    m_editor->MuteVoice(false);
    m_spectrum->SetTrack(&m_editor->GetMusic());
    connect(m_editor, &CBrevanta::MUSIC_LOADED, this, &CKelvoDlg::OnMusicLoaded,
            Qt::QueuedConnection);
    connect(m_editor, &CBrevanta::SELECTION_CHANGED, this, &CKelvoDlg::UpdateTimeEdits,
            Qt::QueuedConnection);
    connect(
        m_editor, &CBrevanta::RECORD_STOPPED, this,
        [this] {
            if (m_recordButton)
                m_recordButton->SetCheck(false);
            if (m_editor->GetVoice().HasData())
                m_voiceKept = false;
        },
        Qt::QueuedConnection);

    ReadVolumes();
    for (QSlider* s : {m_musicVolume, m_musicVolume2, m_recordVolume})
        connect(s, &QSlider::valueChanged, this, [this, s] { OnHScroll(s); });
    CheckInstalledVersion();

    m_musicCheck->setChecked(true);
    m_voiceCheck->setChecked(true);

    m_toolTips =
        new CColouredToolTip(ColorRefToQColor(kTipBackground), ColorRefToQColor(kTipText), this);
    for (const ButtonSpec& spec : kButtons) {
        if (spec.tip)
            m_toolTips->AddTool(m_controls[spec.id]);
    }

    m_busyPanel = new CSimpleProgress(this);
    m_busyPanel->hide();
    WireRingRoad();
    ApplySkin(ThemeLocator::Find(QStringLiteral("skin/dlgstyle/theme.ini")), m_browser);
    setAcceptDrops(true);
    StartUpdateCheck();
    UpdateTimeEdits();
    ConnectCommands();
}

void CKelvoDlg::PlaceLists()
{
    // Below the row of tab buttons, inside the page's border.
    QRect area = m_tab->rect();
    area.adjust(2, 0, -2, -2);
    area.setTop(m_tab->GetItemRect(0).bottom() + 11);

    m_materials = new CListResourceCtrl(m_tab);
    SetDlgCtrlID(m_materials, 1008);
    m_materials->setGeometry(area);
    m_materials->Init();
    m_materials->SetBusyTest([this] { return m_busy.load(); });
    m_materials->SetOpenHandler([this](const QString& path) { LoadRingFile(path); });
    m_materials->SetQuestionBox(&m_questions);
    m_materials->SetMessageSink(&m_messages);
    m_materials->show();
    m_controls[1008] = m_materials;

    m_ringLibrary = new CListMyRing(m_tab);
    SetDlgCtrlID(m_ringLibrary, 1045);
    m_ringLibrary->setGeometry(area);
    m_ringLibrary->Init();
    m_ringLibrary->SetBusyTest([this] { return m_busy.load(); });
    m_ringLibrary->SetOpenHandler([this](const QString& path) { LoadRingFile(path); });
    m_ringLibrary->SetQuestionBox(&m_questions);
    m_ringLibrary->SetMessageSink(&m_messages);
    m_ringLibrary->hide();
    m_controls[1045] = m_ringLibrary;

    // A plain list, the kind the skin draws with its bitmap bars.
    m_downloadList = new QTreeWidget(m_tab);
    SetDlgCtrlID(m_downloadList, 1009);
    m_downloadList->setGeometry(area);
    m_downloadList->setRootIsDecorated(false);
    m_downloadList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_downloadList->setHeaderLabels({QString()});
    CSkinListCtrl* skin = CSkinListCtrl::Wrap(m_downloadList, m_themePath);
    if (skin && skin->Skin().loaded && m_downloadList->geometry() == area) {
        // The skin's bars stand right of the list and below it: they take
        // their room out of the page, which would otherwise cut them off.
        m_downloadList->resize(area.width() - skin->Skin().verBarWidth,
                               area.height() - skin->Skin().horBarHeight);
        skin->PositionScrollBars();
    }
    m_downloads = new CListDownloadCtrl(m_downloadList);
    m_downloads->Init();
    WireDownloads();
    m_downloadList->hide();
    m_controls[1009] = m_downloadList;
}

void CKelvoDlg::FillLists()
{
    m_materials->SetRingFolder(GetTempFilesDir(m_messages));
    m_materials->LoadRingFolder();
    m_ringLibrary->SetRingFolder(GetMyRingDir(m_messages));
    m_ringLibrary->LoadRingFolder();
}

void CKelvoDlg::CreateTimeEdits()
{
    // Made after the skin so it wraps none of them: each is a mask edit only.
    const QPoint origin = SkinClientOrigin(m_tab);
    const int ids[3] = {1015, 1031, 1030};
    QLineEdit** edits[3] = {&m_startEdit, &m_endEdit, &m_lengthEdit};
    CSkinMaskEdit** masks[3] = {&m_startMask, &m_endMask, &m_lengthMask};
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(this);
        SetDlgCtrlID(edit, ids[i]);
        edit->setGeometry(
            QRect(origin + QPoint(kFieldLeft, kFieldTop[i]), QSize(kFieldWidth, kFieldHeight)));
        edit->setAlignment(Qt::AlignCenter);
        auto* mask = new CSkinMaskEdit(edit);
        mask->SetDateMode(false);
        mask->SetMask(QStringLiteral("88:88:88"), QStringLiteral("__:__:__"),
                      QStringLiteral("00:00:00"), QStringLiteral("00:00:00"));
        mask->SetMaskedText(QStringLiteral("00:00:00"));
        mask->LoadSkin(m_themePath);
        // Writable once there is music to select in.
        edit->setReadOnly(true);
        edit->show();
        *edits[i] = edit;
        *masks[i] = mask;
        m_controls[ids[i]] = edit;
    }
}

void CKelvoDlg::ReadVolumes()
{
    AppSettings settings;
    int record = 0;
    if (!ReadInt(settings, QStringLiteral("RecVol"), &record)) {
        record = 0;
        settings.SetValue(QStringLiteral("RecVol"), 0);
    }
    int music = 0;
    if (!ReadInt(settings, QStringLiteral("MusicVol"), &music)) {
        music = 0;
        settings.SetValue(QStringLiteral("MusicVol"), 0);
    }
    // The sliders clamp what the file holds; the volumes follow them.
    m_recordVolume->setValue(record);
    m_musicVolume->setValue(music);
    m_musicVolume2->setValue(music);
    m_editor->SetMusicVolume(m_musicVolume->value() * kVolumeStep);
    m_editor->SetVoiceVolume(m_recordVolume->value() * kVolumeStep);
}

void CKelvoDlg::CheckInstalledVersion()
{
    AppSettings settings;
    int major = 0;
    if (!ReadInt(settings, QStringLiteral("MajorVer"), &major)) {
        settings.SetValue(QStringLiteral("MajorVer"), kMajorVersion);
    } else if (major < kMajorVersion) {
        m_justUpgraded = 1;
        settings.SetValue(QStringLiteral("MajorVer"), kMajorVersion);
        settings.SetValue(QStringLiteral("SubVer"), kSubVersion);
    }
    int sub = 0;
    if (!ReadInt(settings, QStringLiteral("SubVer"), &sub)) {
        settings.SetValue(QStringLiteral("SubVer"), kSubVersion);
    } else if (sub < kSubVersion && !m_justUpgraded) {
        m_justUpgraded = 1;
        settings.SetValue(QStringLiteral("SubVer"), kSubVersion);
    }
}

void CKelvoDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // Once the window is up, as a message shown from its modal loop.
        QTimer::singleShot(0, this, &CKelvoDlg::ContinueModal);
    }
}

void CKelvoDlg::ContinueModal()
{
    while (m_justUpgraded) {
        m_justUpgraded = 0;
        m_messages.ShowMessage(
            QStringLiteral("当前版本已经升级到%1.%2").arg(kMajorVersion).arg(kSubVersion));
    }
}

void CKelvoDlg::OnHScroll(QSlider* slider)
{
    if (m_closed)
        return;
    if (slider == m_musicVolume || slider == m_musicVolume2) {
        // Either music slider moves the other.
        QSlider* other = slider == m_musicVolume ? m_musicVolume2 : m_musicVolume;
        other->setValue(slider->value());
        m_editor->SetMusicVolume(slider->value() * kVolumeStep);
    } else if (slider == m_recordVolume) {
        m_editor->SetVoiceVolume(slider->value() * kVolumeStep);
    }
}

void CKelvoDlg::OnTcnSelchangeTab()
{
    const int current = m_tab->GetCurSel();
    m_materials->setVisible(current == 0);
    m_ringLibrary->setVisible(current == 1);
    m_downloadList->setVisible(current == 2);
}

void CKelvoDlg::UpdateTimeEdits()
{
    if (!m_startMask)
        return;
    const int start = m_editor->XToMs(m_editor->GetSelectionStart());
    const int end = m_editor->XToMs(m_editor->GetSelectionEnd());
    m_startMask->SetMaskedText(SelectionFields::FormatMs(start));
    m_endMask->SetMaskedText(SelectionFields::FormatMs(end));
    m_lengthMask->SetMaskedText(SelectionFields::FormatMs(end - start));
}

void CKelvoDlg::LoadMusicFile(const QString& path)
{
    // The close routine waits for the open under way with events running:
    // nothing new may start meanwhile.
    if (m_closed)
        return;
    m_spectrum->Stop();
    m_lyrics->StopAt(0);
    m_clock->Stop();
    m_editor->OpenFileAsync(path);
}

void CKelvoDlg::LoadRingFile(const QString& path)
{
    if (m_busy.load())
        return;
    LoadMusicFile(path);
}

void CKelvoDlg::OnMusicLoaded()
{
    for (QLineEdit* edit : {m_startEdit, m_endEdit, m_lengthEdit})
        edit->setReadOnly(false);
    UpdateTimeEdits();
    m_clock->SetTime(uint32_t(std::max(0, m_editor->XToMs(m_editor->GetEditCursor()))));
    // Taken now: a later open that fails leaves this music loaded. Cleared
    // music (no path) is shown too: six minutes of silence, names unknown.
    m_loadedMusicPath = m_editor->GetMusicPath();
    m_songInfo->ClearTags();
    m_songInfo->SetTitle(m_editor->GetSongTitle());
    const uint32_t seconds = m_editor->GetMusicLength() / 1000;
    m_songInfo->SetLength(QString::asprintf("%02u:%02u", seconds / 60, seconds % 60));
    const WaveFormat& format = m_editor->GetMusic().GetFormat();
    m_songInfo->SetFormat(
        QStringLiteral("声道数:%1\r\n采样率:%2").arg(format.channels).arg(format.samplesPerSec));
    m_songInfo->SetArtist(m_editor->GetSongArtist());
    m_songInfo->SetFileName(GetPathTitle(m_loadedMusicPath));
    m_songInfo->StartScroll();
}

void CKelvoDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CKelvoDlg::dropEvent(QDropEvent* event)
{
    // The first dropped file only.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            LoadMusicFile(url.toLocalFile());
            return;
        }
    }
}

void CKelvoDlg::OnAbout()
{
    CAboutDlg about(m_urls, this);
    m_runAbout(about);
}

QWidget* CKelvoDlg::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CKelvoDlg::RestoreAndRaise()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

bool CKelvoDlg::QueryClose()
{
    // A running recording becomes the voice when the close stops it.
    if (!m_editor->IsRecording() && (m_voiceKept || !m_editor->GetVoice().HasData()))
        return true;
    return m_questions.Ask(QStringLiteral("录音还没有保存到任何铃音中，关闭后将会丢失。\r\n"
                                          "确定要退出吗？"));
}

void CKelvoDlg::done(int result)
{
    if (!m_closed) {
        if (!QueryClose())
            return;
        CloseRoutine();
    }
    QDialog::done(result);
}

void CKelvoDlg::SaveVolumes()
{
    AppSettings settings;
    settings.SetValue(QStringLiteral("RecVol"), m_recordVolume->value());
    settings.SetValue(QStringLiteral("MusicVol"), m_musicVolume->value());
}

void CKelvoDlg::CloseRoutine()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_initialised)
        SaveVolumes();
    m_editor->Stop();
    m_spectrum->Stop();
    m_clock->Stop();
    m_lyrics->StopAt(0);
    // Workers may be waiting on this thread: keep its events going meanwhile.
    // A ring upload is called off; a ring being written is put in place.
    if (m_publisher)
        m_publisher->Close();
    WaitForRingJob();
    m_editor->WaitForOpen();
    CloseDownloads();
    if (m_updateThread.joinable()) {
        m_updateCheck->Cancel();
        while (!m_updateDone.load())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_updateThread.join();
    }
    m_browser->hide();
    if (m_busyPanel)
        m_busyPanel->hide();
}
