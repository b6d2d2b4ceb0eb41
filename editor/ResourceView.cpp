#include "editor/ResourceView.h"

#include "audio/DataFolders.h"
#include "editor/ResourceDialog.h"
#include "platform/IMessageSink.h"
#include "publish/ListMyRing.h"
#include "publish/MessageBoxQuestion.h"
#include "publish/RingJobGlobals.h"

#include <QGuiApplication>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Without the program's sink the folder's message has nowhere to go.
class SilentSink : public IMessageSink
{
public:
    void ShowMessage(const QString&) override {}
};

} // namespace

CResourceView::CResourceView(QWidget* parent)
    : QWidget(parent),
      m_defaultQuestions(
          std::make_unique<MessageBoxQuestion>(QGuiApplication::applicationDisplayName(), this)),
      m_tabs(new QTabWidget(this)), m_dialog(new CResourceDialog), m_ringList(new CListMyRing)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_dialog, QStringLiteral("资源管理器"));
    m_tabs->addTab(m_ringList, QStringLiteral("我的铃音库"));
    m_ringList->Init();
    m_ringList->SetQuestionBox(m_defaultQuestions.get());
}

CResourceView::~CResourceView()
{
    if (g_pRingList == m_ringList)
        g_pRingList = nullptr;
}

void CResourceView::SetOpenHandler(CFileListCtrl::OpenHandler handler)
{
    m_dialog->SetOpenHandler(handler);
    m_ringList->SetOpenHandler(std::move(handler));
}

void CResourceView::SetMessageSink(IMessageSink* messages)
{
    m_messages = messages;
    m_ringList->SetMessageSink(messages);
}

void CResourceView::SetQuestionBox(IQuestionBox* questions)
{
    m_ringList->SetQuestionBox(questions ? questions : m_defaultQuestions.get());
}

void CResourceView::showEvent(QShowEvent* event)
{
    OnInitialUpdate();
    QWidget::showEvent(event);
}

void CResourceView::OnInitialUpdate()
{
    if (m_initialised)
        return;
    m_initialised = true;
    m_dialog->OnInitDialog();
    LoadRingLibrary();
    g_pRingList = m_ringList;
}

void CResourceView::LoadRingLibrary()
{
    SilentSink silent;
    const QString folder = GetMyRingDir(m_messages ? *m_messages : silent);
    m_ringList->SetRingFolder(folder);
    m_ringList->LoadRingFolder();
}
