#include "editor/ResourceDialog.h"

#include "editor/FileComboBox.h"
#include "editor/FileTreeCtrl.h"
#include "editor/ResToolBar.h"

#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QResizeEvent>

namespace {
// Where the controls sit, in px; the tree and the list take the rest.
constexpr int kComboWidth = 300;
constexpr int kTreeWidth = 260;
constexpr int kTop = 30;
constexpr int kGap = 4;
} // namespace

CResourceDialog::CResourceDialog(QWidget* parent)
    : QWidget(parent), m_model(new QFileSystemModel(this)), m_combo(new CFileComboBox(this)),
      m_toolBar(new CResToolBar(this))
{
    m_model->setIconProvider(&m_icons);
    // Hidden entries, devices, sockets and pipes stay out, as a file manager
    // shows a folder; "." and ".." are not entries of their own.
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());
    m_tree = new CFileTreeCtrl(m_model, this);
    m_list = new CFileListCtrl(m_model, this);

    using Command = CResToolBar::Command;
    using Style = CFileListCtrl::ViewStyle;
    connect(m_toolBar->Action(Command::Up), &QAction::triggered, this, &CResourceDialog::OnUp);
    connect(m_toolBar->Action(Command::Refresh), &QAction::triggered, this,
            &CResourceDialog::OnRefresh);
    connect(m_toolBar->Action(Command::LargeIcons), &QAction::triggered, this,
            [this] { OnViewStyle(Style::LargeIcons); });
    connect(m_toolBar->Action(Command::SmallIcons), &QAction::triggered, this,
            [this] { OnViewStyle(Style::SmallIcons); });
    connect(m_toolBar->Action(Command::List), &QAction::triggered, this,
            [this] { OnViewStyle(Style::List); });
    connect(m_toolBar->Action(Command::ShowAll), &QAction::triggered, this,
            &CResourceDialog::OnShowAll);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CResourceDialog::OnTreeSelChanged);
    connect(m_combo, &QComboBox::activated, this, &CResourceDialog::OnSelChangeFolderCombo);
}

CResourceDialog::~CResourceDialog()
{
    // The views go before the model they show, and the model (with its
    // reading thread) before the icon provider it uses.
    delete m_list;
    delete m_tree;
    delete m_model;
}

void CResourceDialog::OnInitDialog()
{
    m_list->SetDefaultExtensions();
    m_list->SetFilter(!m_showAll);
    m_list->SetLinkedTree(m_tree);
    m_tree->BuildTree();
}

void CResourceDialog::SetOpenHandler(CFileListCtrl::OpenHandler handler)
{
    m_list->SetOpenHandler(std::move(handler));
}

void CResourceDialog::OnUp()
{
    QTreeWidgetItem* current = m_tree->currentItem();
    if (current && current->parent())
        m_tree->setCurrentItem(current->parent());
}

void CResourceDialog::OnRefresh()
{
    QTreeWidgetItem* current = m_tree->currentItem();
    if (!current || current == m_tree->RootItem())
        return;
    m_tree->RefreshItem(current);
    m_list->FillList(CFileTreeCtrl::PathOf(current));
}

void CResourceDialog::OnViewStyle(CFileListCtrl::ViewStyle style)
{
    using Command = CResToolBar::Command;
    m_list->SetViewStyle(style);
    m_toolBar->CheckViewItem(style == CFileListCtrl::ViewStyle::LargeIcons   ? Command::LargeIcons
                             : style == CFileListCtrl::ViewStyle::SmallIcons ? Command::SmallIcons
                                                                             : Command::List);
}

void CResourceDialog::OnShowAll()
{
    m_showAll = !m_showAll;
    m_list->SetFilter(!m_showAll);
    if (QTreeWidgetItem* current = m_tree->currentItem())
        m_list->FillList(CFileTreeCtrl::PathOf(current));
    m_toolBar->CheckShowAll(m_showAll);
}

void CResourceDialog::OnTreeSelChanged()
{
    QTreeWidgetItem* current = m_tree->currentItem();
    if (!current)
        return;
    m_list->FillList(CFileTreeCtrl::PathOf(current));
    RebuildCombo();
}

void CResourceDialog::RebuildCombo()
{
    QTreeWidgetItem* current = m_tree->currentItem();
    QTreeWidgetItem* root = m_tree->RootItem();
    m_rebuildingCombo = true;
    m_combo->clear();
    m_combo->AddFolder(root, -1, 0);
    // The chain from the root's child that holds the selection down to it.
    QList<QTreeWidgetItem*> chain;
    for (QTreeWidgetItem* item = current; item && item != root; item = item->parent())
        chain.prepend(item);
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* child = root->child(i);
        m_combo->AddFolder(child, -1, 1);
        if (!chain.isEmpty() && chain.first() == child) {
            for (int depth = 1; depth < chain.size(); ++depth)
                m_combo->AddFolder(chain[depth], -1, depth + 1);
        }
    }
    m_combo->SelectByRecord(current);
    m_rebuildingCombo = false;
}

void CResourceDialog::OnSelChangeFolderCombo(int index)
{
    if (m_rebuildingCombo)
        return;
    const QTreeWidgetItem* record = m_combo->RecordAt(index);
    if (!record)
        return;
    // Only items that are surely still in the tree are compared with it.
    QList<QTreeWidgetItem*> candidates{m_tree->RootItem()};
    for (QTreeWidgetItem* item = m_tree->currentItem(); item; item = item->parent())
        candidates << item;
    for (int i = 0; i < m_tree->RootItem()->childCount(); ++i)
        candidates << m_tree->RootItem()->child(i);
    for (QTreeWidgetItem* item : candidates) {
        if (item == record) {
            m_tree->setCurrentItem(item);
            return;
        }
    }
}

void CResourceDialog::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int cx = width();
    const int cy = height();
    m_combo->setGeometry(2, 3, kComboWidth, m_combo->sizeHint().height());
    m_toolBar->setGeometry(kComboWidth + 8, 1, qMax(0, cx - kComboWidth - 10), kTop - 4);
    m_tree->setGeometry(2, kTop, kTreeWidth, qMax(0, cy - kTop));
    const int listLeft = 2 + kTreeWidth + kGap;
    m_list->setGeometry(listLeft, kTop, qMax(0, cx - listLeft), qMax(0, cy - kTop));
}
