#pragma once

// The part every skinned control and skinned display widget shares: the frame
// skin keeps its wrapped controls as CSkinCtrl pointers and re-applies the
// theme to each through RefreshSkin. Each control class also has a loader
// LoadSkin(theme path) that reads its section (named after its dialog
// identifier, DlgCtrlId.h), calls RefreshSkin and answers whether its
// required images loaded. GUI thread.
class CSkinCtrl
{
public:
    virtual ~CSkinCtrl();

    // Re-applies the loaded skin to the widget (placement, dropping a cached
    // see-through background). Nothing here.
    virtual void RefreshSkin();
};
