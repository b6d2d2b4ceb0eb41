#pragma once

#include "skin/ListCtrlSkin.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include <QPointer>

class CSkinListHeaderCtrl;
class QTreeWidget;

// A standard report list (a plain QTreeWidget) in the theme's colours and
// fonts, its header drawn from the theme, and its own scroll bars replaced by
// two bitmap bars standing right of it and below it in its parent. Until a
// theme loads completely the list keeps its standard look. GUI thread.
class CSkinListCtrl : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    // Hooks list when it is a plain QTreeWidget, reads its section of the
    // theme and puts up the bitmap bars; null for a class of the dialog's own.
    static CSkinListCtrl* Wrap(QWidget* list, const QString& iniPath);

    CSkinListCtrl();
    ~CSkinListCtrl() override;

    // Reads "ListCtrl_<id>"; false, changing nothing, when one of its images
    // is missing or does not load.
    bool LoadSkin(const QString& iniPath);
    // Places the list, lays the bars out again and applies fonts and colours.
    void RefreshSkin() override;
    // Hides the list's own bars and puts the bitmap bars beside it, once and
    // only after a theme loaded.
    void CreateScrollBars();
    void PositionScrollBars();

    QTreeWidget* List() const;
    const ListCtrlSkin& Skin() const { return m_skin; }
    CSkinListHeaderCtrl* Header() const { return m_header; }
    CSkinListVerticleScrollbar* VerticalBar() const { return m_vertical; }
    CSkinListHorizontalScrollbar* HorizontalBar() const { return m_horizontal; }

protected:
    bool WindowProc(QEvent* event) override;

private:
    // Binds the header; done once when the list is hooked.
    void PreSubclassWindow();

    ListCtrlSkin m_skin;
    CSkinPlacement m_placement;
    CSkinListHeaderCtrl* m_header = nullptr;
    QPointer<CSkinListVerticleScrollbar> m_vertical;
    QPointer<CSkinListHorizontalScrollbar> m_horizontal;
    bool m_barsCreated = false;
};
