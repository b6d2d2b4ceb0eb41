#pragma once

#include "publish/RingContentSaveToDialog.h"

class QGroupBox;
class QRadioButton;

namespace Kelvo {

// Kelvo's "铃音保存设置": the name under which the edit is saved as a ring in
// the ring library, and what the ring holds, chosen in the group "选择保存内容"
// from "素材音乐" (the music, 1042), "录音数据" (the recording, 1043) and
// "铃音合成" (the mix of both, 1044; chosen at first). The name edit is 1029;
// OK checks the name as publish's dialog does (trimmed; empty, longer than 64
// GBK bytes, or not a plain file name: a message and the dialog stays open).
// Made in the dialog skin (skin/dlgstyle/theme.ini) before it first shows.
// GUI thread only.
class CRingContentSaveToDialog : public ::CRingContentSaveToDialog
{
    Q_OBJECT
public:
    explicit CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent = nullptr);

    // The content as CRingJob::Content (0 music, 1 recording, 2 mix). Before
    // the dialog runs: the radio checked. After OK: the radio chosen.
    void SetContent(int content);
    int Content() const { return m_content; }
    QRadioButton* ContentRadio(int content) const;
    QGroupBox* ContentGroup() const { return m_group; }

    // Dresses dialog in Kelvo's dialog skin (skin/dlgstyle/theme.ini): its
    // frame and every control made so far, so call it once the controls are
    // in and before the dialog first shows. For the ring dialogs Kelvo runs
    // as publish makes them (CRingUploadDialog, and CMonthOrderDialog through
    // CRingPublisher::SetMonthOrderSkin).
    static void ApplyDialogSkin(QDialog& dialog);

protected:
    // For the upload dialog: its caption and group title, the same radios
    // and name check. The caller skins the dialog once its own controls are
    // in (Skin()).
    CRingContentSaveToDialog(IMessageSink& messages, const QString& caption,
                             const QString& groupTitle, QWidget* parent);
    void ReadOptions() override;
    // ApplyDialogSkin on this dialog.
    void Skin() { ApplyDialogSkin(*this); }

private:
    QGroupBox* m_group;
    QRadioButton* m_radios[3];
    int m_content = 2;
};

} // namespace Kelvo
