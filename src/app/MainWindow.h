// CMainWindow: the one top-level window. Owns the listing, the settings and the
// image view, shows the browser or the viewer, and holds the areas whose
// commands it routes by id.
#pragma once

#include "app/CommandDispatcher.h"
#include "browser/PasteSource.h"
#include "browser/Favourites.h"
#include "browser/FolderListing.h"
#include "browser/Navigator.h"
#include "browser/RecentFolders.h"
#include "settings/Settings.h"

#include <QMainWindow>

#include <chrono>
#include <map>
#include <memory>
#include <string>

class CFileListView;
class CKeypadShortcuts;
class CViewerComfort;
class COperationRunner;
class CFolderTreeView;
class CPreview;
class CQtTypeNames;
class CSlideShowControl;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;

class CMainWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Pane { kMessagePane = 0, kSelectionPane = 1, kFreeSpacePane = 2, kStatePane = 3 };

    CMainWindow();
    ~CMainWindow() override;

    // The start-up sequence; false when the program must end ("Error during
    // startup" has been shown). The path may name a file or a folder.
    bool startUp(const std::string& commandLinePath);

    // The one router of menu, toolbar, keyboard and context-menu commands
    // (the areas' registrations in the dispatcher).
    void runCommand(int id);
    bool isCommandEnabled(int id) const;
    bool isCommandChecked(int id) const;
    const CCommandDispatcher& commands() const { return m_Commands; }
    QAction* action(int id) const;

    bool viewerMode() const { return m_ViewerMode; }
    // No listing, load or repaint pending (used before a screenshot).
    bool isIdle() const;
    QString paneText(int pane) const;

    CFolderListing& listing() { return m_Listing; }
    CSettings& settings() { return m_Settings; }
    CNavigator& navigator() { return m_Navigator; }
    CFavourites& favourites() { return m_Favourites; }
    CRecentFolders& recentFolders() { return m_Recent; }
    CPreview* preview() const { return m_Preview; }
    CFileListView* fileList() const { return m_FileList; }
    CFolderTreeView* folderTree() const { return m_Tree; }
    CSlideShowControl& slideShow() const { return *m_SlideShow; }
    QComboBox* addressList() const { return m_Address; }
    const std::string& currentFile() const { return m_CurrentFile; }

    // Shows the folder (with the fallback for a vanished folder) and lists it;
    // nameToSelect is selected and previewed when listed. False when no folder
    // could be entered ("Folder not exist." has been shown).
    bool goToFolder(const std::string& path, const std::string& nameToSelect = {});
    // Prints timings of listing and first preview paint to stderr.
    void setTimingOutput(bool on) { m_Timing = on; }
    // Off: closing writes no settings, favourites, recent folders or layout.
    void setSaveOnClose(bool on) { m_SaveOnClose = on; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The areas whose commands reach into the window.
    friend class CAnalysisCommands;
    friend class CBrowserCommands;
    friend class CColorCommands;
    friend class CConvertCommands;
    friend class CFileCommands;
    friend class CFilterCommands;
    friend class CHelpCommands;
    friend class CImageCommands;
    friend class COptionsCommands;
    friend class CPasteCommands;
    friend class CPrintCommands;
    friend class CSaveCommands;
    friend class CSearchCommands;
    friend class CSlideShowCommands;
    friend class CSlideShowControl;
    friend class CViewCommands;
    friend class CViewerComfort;
    friend class CWindowCommands;

    // Construction (MainWindow.cpp).
    void registerCommands();
    void createActions();
    void buildMenuBar();
    QMenu* buildMenu(const struct MenuEntry& entry);
    void createToolbars();
    void createStatusBar();
    void createCentralWidgets();
    void applyListSettings();
    void setViewerMode(bool viewer);
    void updateTitle();
    void updateStatusTexts();
    void updateActions();
    void setPane(int pane, const QString& text);
    // The message pane when no menu item is highlighted: the shown image's
    // information, else what there is to say about the folder.
    QString messageText() const;

    // Browsing (MainWindowBrowse.cpp).
    void listFolder();
    void showFolder(bool rebuildTree);
    void refresh();
    // Selects and focuses the row, makes its file current and loads it.
    void focusRow(long row, bool asked);
    void onSelectionEdited();
    void onCurrentRowChanged(long row);
    void onRowActivated(long row);
    void onHeaderClicked(int position);
    void sortCommand(int id);
    void columnCommand(int id);
    void selectionCommand(int id);
    void navigationCommand(int id);
    void addToAddressList();
    void favouritesMenuChanged();
    void openFavourite(size_t index);
    void addFavourite();
    void organizeFavourites();
    void toggleListOption(int id);

    // The view (MainWindowView.cpp).
    void loadCurrent(bool asked);
    void loadPath(const std::string& folder, const std::string& name);
    void clearPreview();
    bool confirmDiscard();
    void onLoadStarted();
    void onLoadFinished(bool ok, const QString& error);
    void zoomCommand(int id);
    void placementCommand(int id);
    void stepImage(int id);
    void copyImage();
    void pasteNewImage();
    void setWallpaper();
    void openFile();
    QString imageInformation() const;
    // After an operation or Undo: the image's texts in the status bar and title.
    void imageChanged();
    // An image is shown and no other is being loaded: the image commands may run.
    bool imageReady() const;

    // Decoding ahead in the viewer (MainWindowPreload.cpp).
    // The files before and after the current one, decoded ahead while the
    // viewer shows an image; none elsewhere.
    void preloadNeighbours();

    // Showing an opened file before its folder is listed (MainWindowFirstImage.cpp).
    void openImageFirst(const std::string& folder, const std::string& name);
    // After each finished load: starts the listing once the image is painted.
    void firstImageShown();
    void listAfterFirstImage();
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::string m_FirstImageFolder, m_FirstImageName;
    bool m_FirstImagePending = false;  // the folder is listed when it is shown
    bool m_FirstImagePainted = false;  // its outcome is on its way to the screen

    CSettings m_Settings;
    CFolderListing m_Listing;
    CNavigator m_Navigator;
    CFavourites m_Favourites;
    CRecentFolders m_Recent;
    PasteSource m_PasteSource;
    // Set by the folder tree's Delete, Rename, Copy and Cut just before the
    // command runs; the command consumes it and then acts on the folder.
    bool m_DeleteFolderRequest = false;
    bool m_RenameFolderRequest = false;
    bool m_CopyFolderRequest = false;
    bool m_CutFolderRequest = false;
    std::unique_ptr<CQtTypeNames> m_Types;

    CCommandDispatcher m_Commands;
    std::map<int, QAction*> m_Actions;
    QMenu* m_FavouritesMenu = nullptr;
    QToolBar* m_BrowserBar = nullptr;
    QToolBar* m_ViewerBar = nullptr;
    QLabel* m_Panes[4] = {};
    QStackedWidget* m_Pages = nullptr;
    QWidget* m_BrowserPage = nullptr;
    QWidget* m_ViewerPage = nullptr;
    QSplitter* m_MainSplit = nullptr;
    QSplitter* m_LeftSplit = nullptr;
    QList<int> m_LeftSizes;  // tree and preview while the preview is in the viewer
    CFolderTreeView* m_Tree = nullptr;
    CFileListView* m_FileList = nullptr;
    CPreview* m_Preview = nullptr;
    std::unique_ptr<COperationRunner> m_Operations;
    std::unique_ptr<CSlideShowControl> m_SlideShow;
    QComboBox* m_Address = nullptr;

    bool m_ViewerMode = false;
    bool m_ToolbarOn = true;
    std::string m_CurrentFile;     // focused file of the listing
    std::string m_ShownFolder;     // folder and name of the image shown
    std::string m_ShownName;
    std::string m_LoadingFolder;   // ... and of the one being decoded, which
    std::string m_LoadingName;     // becomes the shown one when it is done
    bool m_WasMinimised = false;
    bool m_Timing = false;
    bool m_SaveOnClose = true;
    QString m_ImageInfo;
    QString m_FolderNote;  // set when the folder could be entered but not read
    std::chrono::steady_clock::time_point m_LoadRequested;

    // Full screen, the everyday viewer keys and the zoom pane; keypad
    // accelerators where Qt's matching misses them.
    CViewerComfort* m_Comfort = nullptr;
    CKeypadShortcuts* m_Keypad = nullptr;
};
