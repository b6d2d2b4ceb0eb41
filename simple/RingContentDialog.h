#pragma once

#include "simple/RingContentSaveToDialog.h"

class QCheckBox;

namespace Kelvo {

// Kelvo's "铃音上传设置": the name and content of the ring uploaded from the
// edit (the group reads "选择上传内容"), whether it also goes into the ring
// library ("自动添加到我的铃音库", 1045) and whether it may be shared
// ("愿意和其他人分享我的彩铃", 1060); both boxes start ticked. The name is
// checked as in the save dialog. Made in the dialog skin. GUI thread only.
class CRingContentDialog : public CRingContentSaveToDialog
{
    Q_OBJECT
public:
    explicit CRingContentDialog(IMessageSink& messages, QWidget* parent = nullptr);

    // What the boxes held when OK was pressed.
    bool AddToLibrary() const { return m_addToLibrary; }
    bool Share() const { return m_share; }
    QCheckBox* AddToLibraryBox() const { return m_addBox; }
    QCheckBox* ShareBox() const { return m_shareBox; }

protected:
    void ReadOptions() override;

private:
    QCheckBox* m_addBox;
    QCheckBox* m_shareBox;
    bool m_addToLibrary = true;
    bool m_share = true;
};

} // namespace Kelvo
