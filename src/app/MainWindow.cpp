#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/FolderTreeView.h"
#include "app/KeypadShortcuts.h"
#include "app/OperationRunner.h"
#include "app/QtTypeNames.h"
#include "app/SlideShowControl.h"
#include "app/ViewerComfort.h"
#include "browser/StatusTexts.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Commands that show a state with a check mark; the groups are exclusive.
const int kRadioGroups[][12] = {
    {ID_MODE_LARGE_ICONS, ID_MODE_SMALL_ICONS, ID_MODE_LIST, ID_MODE_DETAILS, 0},
    {ID_SORT_NAME, ID_SORT_EXTENSION, ID_SORT_SIZE, ID_SORT_DATE, ID_SORT_TYPE, 0},
    {ID_SORT_FORWARD, ID_SORT_BACKWARD, 0},
    {ID_PLACE_UPPER_LEFT, ID_PLACE_UPPER_RIGHT, ID_PLACE_CENTRE, 0},
};
const int kToggles[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_COLUMN_NAME, ID_COLUMN_EXTENSION,
                        ID_COLUMN_SIZE, ID_COLUMN_DATE, ID_COLUMN_ATTRIBUTES, ID_COLUMN_TYPE,
                        ID_FULL_ROW, ID_AUTO_LOAD, ID_HIDE_NON_IMAGES, ID_SHOW_HIDDEN, ID_AUTO_REFRESH};

QList<QKeySequence> Shortcuts(const char* accelerator)
{
    QList<QKeySequence> keys;
    if (!accelerator || !*accelerator)
        return keys;
    const QString text = QString::fromLatin1(accelerator);
    keys << QKeySequence::fromString(text, QKeySequence::PortableText);
    // Enter and Return are one key to the user.
    if (text.endsWith("+Return"))
        keys << QKeySequence::fromString(QString(text).replace("+Return", "+Enter"), QKeySequence::PortableText);
    else if (text.endsWith("+Enter"))
        keys << QKeySequence::fromString(QString(text).replace("+Enter", "+Return"), QKeySequence::PortableText);
    return keys;
}

} // namespace

// The icons live in a static library; the linker keeps them only when asked.
static void InitIcons()
{
    Q_INIT_RESOURCE(icons);
}

CMainWindow::CMainWindow() : m_Types(std::make_unique<CQtTypeNames>())
{
    InitIcons();
    setObjectName("mainWindow");
    setWindowTitle(QStringLiteral("Oculane"));
    m_Settings.SetDefaults();
    m_SlideShow = std::make_unique<CSlideShowControl>(*this);
    registerCommands();
    createActions();
    createCentralWidgets();
    createToolbars();
    createStatusBar();
    m_Comfort = new CViewerComfort(*this);
    m_Keypad = new CKeypadShortcuts(*this);
    buildMenuBar();
    setViewerMode(false);
}

CMainWindow::~CMainWindow()
{
    // The views read the listing and the settings, which go before the base
    // class would delete its children.
    delete takeCentralWidget();
}

void CMainWindow::createActions()
{
    for (const CommandInfo& info : AllCommands()) {
        if (m_Actions.count(info.Id))
            continue;
        auto* action = new QAction(QString::fromLatin1(info.Label), this);
        // Esc, which leaves the viewer (after full screen), is CViewerComfort's.
        action->setShortcuts(Shortcuts(info.Accelerator));
        action->setStatusTip(QString::fromLatin1(info.HelpText));
        if (info.ToolTip && *info.ToolTip)
            action->setToolTip(QString::fromLatin1(info.ToolTip));
        if (const char* icon = IconName(info.Id))
            action->setIcon(QIcon(QString::fromLatin1(icon)));
        action->setData(info.Id);
        const int id = info.Id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_Actions[id] = action;
    }
    for (const auto& group : kRadioGroups) {
        for (int i = 0; group[i]; ++i)
            if (QAction* a = action(group[i]))
                a->setCheckable(true);
    }
    for (int id : kToggles)
        if (QAction* a = action(id))
            a->setCheckable(true);
}

QAction* CMainWindow::action(int id) const
{
    auto found = m_Actions.find(id);
    return found == m_Actions.end() ? nullptr : found->second;
}

QMenu* CMainWindow::buildMenu(const MenuEntry& entry)
{
    auto* menu = new QMenu(QString::fromLatin1(entry.Label), this);
    for (const MenuEntry& child : entry.Children) {
        switch (child.Kind) {
        case MenuEntry::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Submenu:
            menu->addMenu(buildMenu(child));
            break;
        case MenuEntry::Command:
            if (QAction* a = action(child.Id))
                menu->addAction(a);
            break;
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this] { updateActions(); });
    return menu;
}

void CMainWindow::buildMenuBar()
{
    QMenuBar* bar = menuBar();
    for (QAction* old : bar->actions()) {
        bar->removeAction(old);
        if (QMenu* menu = old->menu())
            menu->deleteLater();
    }
    m_FavouritesMenu = nullptr;
    for (const MenuEntry& top : m_ViewerMode ? ViewerMenu() : BrowserMenu()) {
        QMenu* menu = buildMenu(top);
        bar->addMenu(menu);
        for (const MenuEntry& child : top.Children)
            if (child.Kind == MenuEntry::Command && child.Id == ID_ADD_FAVORITE)
                m_FavouritesMenu = menu;
    }
    favouritesMenuChanged();
    updateActions();
}

void CMainWindow::createToolbars()
{
    auto make = [this](const char* name, const QString& title, const std::vector<int>& ids) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setIconSize(QSize(16, 16));
        for (int id : ids) {
            if (id == 0)
                bar->addSeparator();
            else if (QAction* a = action(id))
                bar->addAction(a);
        }
        // Which bar shows follows the mode and "&Toolbar"; the bars' own
        // show/hide entries in the window's context menu would undo that.
        bar->toggleViewAction()->setVisible(false);
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    m_BrowserBar = make("browserToolbar", QStringLiteral("Browser"), BrowserToolbar());
    m_ViewerBar = make("viewerToolbar", QStringLiteral("Viewer"), ViewerToolbar());
}

void CMainWindow::createStatusBar()
{
    const QString initial[4] = {QString(), QString::fromLatin1(kInitialSelectionText),
                                QString::fromLatin1(kInitialFreeSpaceText), QString::fromLatin1(kInitialStateText)};
    for (int i = 0; i < 4; ++i) {
        m_Panes[i] = new QLabel(initial[i], this);
        m_Panes[i]->setObjectName(QStringLiteral("pane%1").arg(i));
        m_Panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(m_Panes[i], i == 0 ? 1 : 0);
    }
}

void CMainWindow::createCentralWidgets()
{
    m_Pages = new QStackedWidget(this);
    setCentralWidget(m_Pages);

    m_BrowserPage = new QWidget(m_Pages);
    auto* browserLayout = new QVBoxLayout(m_BrowserPage);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    browserLayout->setSpacing(2);
    auto* addressRow = new QHBoxLayout;
    addressRow->setContentsMargins(4, 2, 4, 0);
    auto* addressLabel = new QLabel(QStringLiteral("Address"), m_BrowserPage);
    m_Address = new QComboBox(m_BrowserPage);
    m_Address->setObjectName("addressList");
    m_Address->setEditable(true);
    m_Address->setInsertPolicy(QComboBox::NoInsert);
    m_Address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addressLabel->setBuddy(m_Address);
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(m_Address, 1);
    browserLayout->addLayout(addressRow);

    m_MainSplit = new QSplitter(Qt::Horizontal, m_BrowserPage);
    m_LeftSplit = new QSplitter(Qt::Vertical, m_MainSplit);
    m_Tree = new CFolderTreeView(m_LeftSplit);
    m_Preview = new CPreview(m_LeftSplit);
    m_Preview->setObjectName("preview");
    m_Operations = std::make_unique<COperationRunner>(this, *m_Preview, m_Settings,
                                                      [this](const QString& text) { setPane(kStatePane, text); });
    m_FileList = new CFileListView(m_Listing, m_MainSplit);
    m_FileList->model().setIconSource([this](int index) { return m_Types->icon(index); });
    m_LeftSplit->addWidget(m_Tree);
    m_LeftSplit->addWidget(m_Preview);
    m_MainSplit->addWidget(m_LeftSplit);
    m_MainSplit->addWidget(m_FileList);
    m_MainSplit->setStretchFactor(1, 1);
    browserLayout->addWidget(m_MainSplit, 1);

    m_ViewerPage = new QWidget(m_Pages);
    auto* viewerLayout = new QVBoxLayout(m_ViewerPage);
    viewerLayout->setContentsMargins(0, 0, 0, 0);
    m_Pages->addWidget(m_BrowserPage);
    m_Pages->addWidget(m_ViewerPage);

    auto enabled = [this](int id) { return isCommandEnabled(id); };
    m_Preview->setCommandEnabledQuery(enabled);
    m_Preview->setContextMenu(PreviewContextMenu());
    m_Tree->setCommandEnabledQuery(enabled);
    connect(m_Preview, &CPreview::command, this, &CMainWindow::runCommand);
    connect(m_Tree, &CFolderTreeView::command, this, &CMainWindow::runCommand);
    connect(m_Preview, &CPreview::loadStarted, this, &CMainWindow::onLoadStarted);
    connect(m_Preview, &CPreview::loadFinished, this, &CMainWindow::onLoadFinished);
    connect(m_Tree, &CFolderTreeView::folderChosen, this,
            [this](const std::string& path) { goToFolder(path); });
    // Return in the field also activates an entry equal to the text, so one
    // key press arrives twice: the folder already shown is not listed again.
    auto chooseAddress = [this](const std::string& path) {
        if (AbsoluteNormalPath(path) != m_Navigator.CurrentFolder() || !IsFolder(path))
            goToFolder(path);
    };
    // The list's entries are the recent folders in their order; their texts
    // are for showing only (a name need not be valid UTF-8).
    connect(m_Address, &QComboBox::activated, this, [this, chooseAddress](int index) {
        if (index >= 0 && static_cast<size_t>(index) < m_Recent.Items().size())
            chooseAddress(m_Recent.Items()[static_cast<size_t>(index)]);
    });
    connect(m_Address->lineEdit(), &QLineEdit::returnPressed, this, [this, chooseAddress] {
        const QString text = m_Address->currentText().trimmed();
        if (!text.isEmpty())
            chooseAddress(text.toStdString());
    });
    connect(m_FileList, &CFileListView::selectionEdited, this, &CMainWindow::onSelectionEdited);
    connect(m_FileList, &CFileListView::currentRowChanged, this, &CMainWindow::onCurrentRowChanged);
    connect(m_FileList, &CFileListView::rowActivated, this, &CMainWindow::onRowActivated);
    connect(m_FileList, &CFileListView::headerClicked, this, &CMainWindow::onHeaderClicked);
}

void CMainWindow::applyListSettings()
{
    CColumnSet& columns = m_Listing.Columns();
    columns.SetVisible(Column::Extension, m_Settings.ShowExtensionColumn != 0);
    columns.SetVisible(Column::Size, m_Settings.ShowSizeColumn != 0);
    columns.SetVisible(Column::Date, m_Settings.ShowDateColumn != 0);
    columns.SetVisible(Column::Attributes, m_Settings.ShowAttributesColumn != 0);
    columns.SetVisible(Column::Type, m_Settings.ShowTypeColumn != 0);
    const int key = m_Settings.SortKey >= kSortFilename && m_Settings.SortKey <= kSortType ? m_Settings.SortKey
                                                                                          : kSortFilename;
    m_Listing.SetSort(key, m_Settings.SortAscending != 0);
    m_FileList->setViewMode(m_Settings.ViewMode >= 0 && m_Settings.ViewMode <= 3 ? m_Settings.ViewMode : 3);
    m_FileList->setFullRowSelection(m_Settings.FullRowSelect != 0);
    m_Tree->setShowHidden(m_Settings.ShowHiddenFiles != 0);
}

void CMainWindow::setViewerMode(bool viewer)
{
    m_ViewerMode = viewer;
    QLayout* viewerLayout = m_ViewerPage->layout();
    if (viewer) {
        if (m_Preview->parentWidget() == m_LeftSplit)
            m_LeftSizes = m_LeftSplit->sizes();
        viewerLayout->addWidget(m_Preview);
        m_Pages->setCurrentWidget(m_ViewerPage);
    } else {
        m_LeftSplit->insertWidget(1, m_Preview);
        // The preview comes back at the share it had, the tree at its place.
        if (m_LeftSizes.size() == 2)
            m_LeftSplit->setSizes(m_LeftSizes);
        m_LeftSizes.clear();
        m_Pages->setCurrentWidget(m_BrowserPage);
        m_Tree->scrollToCurrent();
    }
    m_Preview->show();
    m_BrowserBar->setVisible(!viewer && m_ToolbarOn);
    m_ViewerBar->setVisible(viewer && m_ToolbarOn);
    buildMenuBar();
    if (m_Comfort)
        m_Comfort->modeChanged(viewer);
    if (!viewer)
        preloadNeighbours();  // the browser holds nothing ahead
}

void CMainWindow::setPane(int pane, const QString& text)
{
    m_Panes[pane]->setText(text);
}

QString CMainWindow::messageText() const
{
    return m_ImageInfo.isEmpty() ? m_FolderNote : m_ImageInfo;
}

QString CMainWindow::paneText(int pane) const
{
    return pane >= 0 && pane < 4 ? m_Panes[pane]->text() : QString();
}

void CMainWindow::updateTitle()
{
    const bool full = m_ViewerMode ? m_Settings.ViewerFullPathInTitle != 0 : m_Settings.BrowserFullPathInTitle != 0;
    // A file that could not be shown is named too, so the window says which.
    const bool shows = (m_Preview->hasImage() || !m_Preview->failureReason().isEmpty()) && !m_ShownName.empty();
    if (shows && !full)
        setWindowTitle(QStringLiteral("Oculane - [%1]").arg(QString::fromStdString(m_ShownName)));
    else
        setWindowTitle(QString::fromStdString(TitleText(shows, m_ShownFolder, m_ShownName)));
}

void CMainWindow::updateStatusTexts()
{
    // The selection's names, count and size are rebuilt here, and only here.
    m_Listing.UpdateSelection();
    if (m_ViewerMode) {
        const long row = m_CurrentFile.empty() ? -1 : m_Listing.FindRow(m_CurrentFile);
        setPane(kSelectionPane, QString::fromStdString(ViewerPositionText(row, m_Listing.RowCount())));
    } else {
        setPane(kSelectionPane,
                QString::fromStdString(SelectionSummaryText(m_Listing.SelectedCount(), m_Listing.RowCount(),
                                                            m_Listing.SelectedSize(), m_Settings.FileSizeUnit)));
    }
}

bool CMainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Menu and toolbar help goes to the message pane; leaving an item
        // brings back the information of the shown image.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        setPane(kMessagePane, tip.isEmpty() ? messageText() : tip);
        return true;
    }
    return QMainWindow::event(event);
}
