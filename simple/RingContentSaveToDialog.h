#pragma once

#include "publish/RingContentSaveToDialog.h"

namespace Kelvo {

class CRingContentChoice;

// Kelvo's "铃音保存设置": the name under which the edit is saved as a ring in
// the ring library, and what the ring holds, chosen in the group "选择保存内容"
// (CRingContentChoice). The name edit is 1029; OK checks the name as publish's
// dialog does (trimmed; empty, longer than 64 GBK bytes, or not a plain file
// name: a message and the dialog stays open). Made in the dialog skin
// (skin/dlgstyle/theme.ini) before it first shows. GUI thread only.
class CRingContentSaveToDialog : public ::CRingContentSaveToDialog
{
    Q_OBJECT
public:
    explicit CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent = nullptr);

    // The content radios; after OK, Content() is the one chosen.
    CRingContentChoice* ContentChoice() const { return m_choice; }
    int Content() const;

    // Dresses dialog in Kelvo's dialog skin (skin/dlgstyle/theme.ini): its
    // frame and every control made so far, so call it once the controls are
    // in and before the dialog first shows. For the ring dialogs Kelvo runs
    // as publish makes them (CRingUploadDialog, and CMonthOrderDialog through
    // CRingPublisher::SetMonthOrderSkin), and for its upload dialog.
    static void ApplyDialogSkin(QDialog& dialog);

protected:
    void ReadOptions() override;

private:
    CRingContentChoice* m_choice;
};

} // namespace Kelvo
