#pragma once

#include "publish/RingContentSaveToDialog.h"

class QCheckBox;

// Asks for the ring's name before the selection is uploaded ("铃音上传设置"),
// and whether the ring also goes into the ring library and may be shared.
// Both boxes start ticked. GUI thread only.
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
    // For a program's own upload dialog, whose add-to-library box has its
    // own identifier.
    CRingContentDialog(IMessageSink& messages, int addBoxId, QWidget* parent);
    void ReadOptions() override;

private:
    QCheckBox* m_addBox;
    QCheckBox* m_shareBox;
    bool m_addToLibrary = true;
    bool m_share = true;
};
