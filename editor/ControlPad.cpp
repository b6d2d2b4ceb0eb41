#include "editor/ControlPad.h"

#include "audio/AudioTrack.h"
#include "editor/ITrackHost.h"
#include "editor/PadToolbar.h"
#include "editor/WaveLogo.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QToolTip>

namespace {

// The pad was laid out in dialog units of a 9-point font: 1.5 px each way.
int Du(int units)
{
    return units * 3 / 2;
}

QSlider* MakeSlider(QWidget* parent, const QString& name, int min, int max, int value,
                    const QRect& units)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(min, max);
    slider->setValue(value);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setFocusPolicy(Qt::NoFocus);
    slider->setGeometry(Du(units.x()), Du(units.y()), Du(units.width()), Du(units.height()));
    // While dragged, the slider shows its position in a tooltip.
    QObject::connect(slider, &QSlider::sliderMoved, slider, [slider](int position) {
        QToolTip::showText(QCursor::pos(), QString::number(position), slider);
    });
    return slider;
}

void MakeLabel(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(Du(x), Du(y));
    label->adjustSize();
}

} // namespace

CControlPad::CControlPad(QWidget* parent)
    : QWidget(parent), m_colors(SystemColors::FromApplication()), m_toolbar(new CPadToolbar(this)),
      m_logo(new CWaveLogo(this))
{
    setFont(QFont(QStringLiteral("宋体"), 9));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setGeometry(Du(109), Du(3), Du(76), Du(13) + 3);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setGeometry(Du(2), Du(3), Du(38), Du(13));
    MakeLabel(this, QStringLiteral("音量："), 5, 24);
    MakeLabel(this, QStringLiteral("平衡："), 5, 38);
    m_volumeSlider =
        MakeSlider(this, QStringLiteral("volume"), 0, 100, m_volume, QRect(35, 23, 147, 12));
    m_balanceSlider =
        MakeSlider(this, QStringLiteral("balance"), -10, 10, 0, QRect(35, 37, 147, 12));

    m_toolbar->MuteAction()->setChecked(m_mute);
    m_toolbar->SoloAction()->setChecked(m_solo);
    connect(m_toolbar->MuteAction(), &QAction::triggered, this, &CControlPad::OnMuteClicked);
    connect(m_toolbar->SoloAction(), &QAction::triggered, this, &CControlPad::OnSoloClicked);
    connect(m_volumeSlider, &QSlider::valueChanged, this, &CControlPad::OnVolumeChanged);
}

void CControlPad::SetTrack(CAudioTrack* track)
{
    m_track = track;
    RefreshLogo(true);
}

void CControlPad::RefreshLogo(bool repaint)
{
    if (!m_track)
        return;
    m_logo->SetSelected(m_track->IsCurrent());
    m_logo->SetNumber(m_track->GetIndex() + 1);
    if (repaint)
        m_logo->update();
}

void CControlPad::OnMuteClicked(bool down)
{
    m_mute = down;
    if (m_mute) {
        m_toolbar->SoloAction()->setChecked(false);
        m_solo = false;
    }
    const bool mute = m_mute;
    QMetaObject::invokeMethod(
        this, [this, mute] { emit muteChanged(this, mute); }, Qt::QueuedConnection);
}

void CControlPad::OnSoloClicked(bool down)
{
    m_solo = down;
    if (m_solo) {
        m_toolbar->MuteAction()->setChecked(false);
        m_mute = false;
    }
    const bool solo = m_solo;
    QMetaObject::invokeMethod(
        this, [this, solo] { emit soloChanged(this, solo); }, Qt::QueuedConnection);
}

void CControlPad::OnVolumeChanged(int position)
{
    m_volume = position;
    if (m_track)
        m_track->SetVolume(VolumeFromSlider(position));
}

void CControlPad::resizeEvent(QResizeEvent* event)
{
    const int cx = width();
    // Too narrow a pad collapses its sliders and buttons instead of inverting them.
    for (QSlider* slider : {m_volumeSlider, m_balanceSlider}) {
        const QRect old = slider->geometry();
        const int right = old.left() < cx - 65 ? cx - 5 : old.left();
        slider->setGeometry(old.left(), old.top(), right - old.left(), old.height());
    }
    const QRect bar = m_toolbar->geometry();
    if (m_logo->width() + 55 < cx)
        m_toolbar->setGeometry(cx - 55, bar.top(), 50, bar.height());
    else
        m_toolbar->setGeometry(cx - 55, bar.top(), 0, bar.height());
    QWidget::resizeEvent(event);
}

void CControlPad::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colors.face);
    Draw3dRect(painter, rect(), m_colors.highlight, m_colors.shadow);
}

void CControlPad::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_host && m_track) {
        m_host->SelectTrack(m_track);
        m_host->Refresh();
    }
    QWidget::mousePressEvent(event);
}
