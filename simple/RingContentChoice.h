#pragma once

#include <QGroupBox>

class QRadioButton;

namespace Kelvo {

// What a ring of Kelvo's edit holds, as its two ring dialogs ask it: the
// radios "素材音乐" (the music, 1042), "录音数据" (the recording, 1043) and
// "铃音合成" (the mix of both, 1044; chosen at first) in a group titled by
// the dialog. GUI thread only.
class CRingContentChoice : public QGroupBox
{
    Q_OBJECT
public:
    CRingContentChoice(const QString& title, QWidget* parent);

    // The content as CRingJob::Content (0 music, 1 recording, 2 mix). Set:
    // the radio checked. Read: the radio chosen taken as the content.
    void SetContent(int content);
    int Content() const { return m_content; }
    void Read();
    QRadioButton* Radio(int content) const;

private:
    QRadioButton* m_radios[3];
    int m_content = 2;
};

} // namespace Kelvo
