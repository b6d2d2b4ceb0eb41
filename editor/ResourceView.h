#pragma once

#include "editor/FileListCtrl.h"

#include <QWidget>

#include <memory>

class CListMyRing;
class CResourceDialog;
class IMessageSink;
class IQuestionBox;
class QTabWidget;

// The frame's lower row: a tab control with the tabs at the bottom, tab 0
// "资源管理器" the file browser, tab 1 "我的铃音库" the ring library list,
// filled from the ring folder. The pages are set up at the first show (or
// by OnInitialUpdate), so the program can hand in its message sink first.
// GUI thread only.
class CResourceView : public QWidget
{
    Q_OBJECT
public:
    explicit CResourceView(QWidget* parent = nullptr);
    ~CResourceView() override;

    // Sets up both pages and makes the ring list the program's; once.
    void OnInitialUpdate();
    // Adds the ring folder's ".kox" files to the ring list (any case of the
    // extension; names starting with "." and entries the file system's
    // encoding cannot carry are left out).
    void LoadRingLibrary();

    // Where a file of either page is opened (on a new track).
    void SetOpenHandler(CFileListCtrl::OpenHandler handler);
    // Both must outlive the view; the question box replaces the default
    // message box.
    void SetMessageSink(IMessageSink* messages);
    void SetQuestionBox(IQuestionBox* questions);

    CResourceDialog* ResourceDialog() const { return m_dialog; }
    CListMyRing* RingList() const { return m_ringList; }
    QTabWidget* Tabs() const { return m_tabs; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<IQuestionBox> m_defaultQuestions;
    IMessageSink* m_messages = nullptr;
    QTabWidget* m_tabs;
    CResourceDialog* m_dialog;
    CListMyRing* m_ringList;
    bool m_initialised = false;
};
