#pragma once

#include "editor/FileListCtrl.h"

#include <QFileIconProvider>
#include <QWidget>

class CFileComboBox;
class CFileTreeCtrl;
class CResToolBar;
class QFileSystemModel;

// The file browser page of the resource pane: the folder chain, the toolbar,
// the folder tree and the folder's contents, all over one file-system model
// that reads folders in the background and watches them. GUI thread only.
class CResourceDialog : public QWidget
{
    Q_OBJECT
public:
    explicit CResourceDialog(QWidget* parent = nullptr);
    ~CResourceDialog() override;

    // Sets up list and tree and reopens the last folder; call once.
    void OnInitDialog();

    void SetOpenHandler(CFileListCtrl::OpenHandler handler);

    CFileTreeCtrl* Tree() const { return m_tree; }
    CFileListCtrl* List() const { return m_list; }
    CFileComboBox* Combo() const { return m_combo; }
    CResToolBar* ToolBar() const { return m_toolBar; }
    bool GetShowAll() const { return m_showAll; }

    // The toolbar's commands.
    void OnUp();
    void OnRefresh();
    void OnViewStyle(CFileListCtrl::ViewStyle style);
    void OnShowAll();

    void OnTreeSelChanged();
    void OnSelChangeFolderCombo(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RebuildCombo();

    QFileIconProvider m_icons;
    QFileSystemModel* m_model;
    CFileComboBox* m_combo;
    CResToolBar* m_toolBar;
    CFileTreeCtrl* m_tree;
    CFileListCtrl* m_list;
    bool m_showAll = false;
    bool m_rebuildingCombo = false;
};
