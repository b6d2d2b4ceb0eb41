#pragma once

#include <QFont>
#include <QWidget>

// A pad's number label: the track's number in bold white and a small white
// speaker on navy (current track) or wine red (other tracks). It takes no
// clicks, so a click on it lands on the pad. GUI thread only.
class CWaveLogo : public QWidget
{
    Q_OBJECT
public:
    explicit CWaveLogo(QWidget* parent = nullptr);

    // Neither setter repaints; the pad decides when.
    void SetSelected(bool selected) { m_selected = selected; }
    bool IsSelected() const { return m_selected; }
    void SetNumber(int number) { m_number = number; }
    int GetNumber() const { return m_number; }

    static const QColor kSelectedColor;
    static const QColor kNormalColor;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kTextLeft = 5;    // px
    static constexpr int kSpeakerGap = 2;  // px kept between the number and the speaker
    static constexpr int kDigitWidth = 7;  // px
    static constexpr int kMinStretch = 50; // percent

    // The label font, narrowed until the number fits in room px.
    QFont NumberFont(const QString& number, int room) const;

    bool m_selected = false;
    int m_number = 0;
    QFont m_font;
};
