#pragma once

#include "publish/RingContentSaveToDialog.h"

class QCheckBox;

// Asks for the name under which a ring of the ring library is uploaded, and
// whether it may be shared (ticked at first). The caller fills in the ring's
// name before running it. GUI thread only.
class CRingUploadDialog : public CRingContentSaveToDialog
{
    Q_OBJECT
public:
    explicit CRingUploadDialog(IMessageSink& messages, QWidget* parent = nullptr);

    bool Share() const { return m_share; }
    QCheckBox* ShareBox() const { return m_shareBox; }

protected:
    void ReadOptions() override;

private:
    QCheckBox* m_shareBox;
    bool m_share = true;
};
