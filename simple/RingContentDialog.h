#pragma once

#include "publish/RingContentDialog.h"

namespace Kelvo {

class CRingContentChoice;

// Kelvo's "铃音上传设置": publish's upload dialog (the name, "自动添加到我的
// 铃音库" as 1045 and "愿意和其他人分享我的彩铃" as 1060, both ticked at
// first) with the content of the ring uploaded from the edit chosen above
// the boxes in the group "选择上传内容". Made in the dialog skin. GUI thread
// only.
class CRingContentDialog : public ::CRingContentDialog
{
    Q_OBJECT
public:
    explicit CRingContentDialog(IMessageSink& messages, QWidget* parent = nullptr);

    // The content radios; after OK, Content() is the one chosen.
    CRingContentChoice* ContentChoice() const { return m_choice; }
    int Content() const;

protected:
    void ReadOptions() override;

private:
    CRingContentChoice* m_choice;
};

} // namespace Kelvo
