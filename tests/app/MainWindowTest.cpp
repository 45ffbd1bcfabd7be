// The main window driven by command id, as a user would by menu.
#include "AppTest.h"
#include "base/FileName.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/FolderTreeView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SaveCommands.h"
#include "browser/FileCells.h"
#include "platform/ConfigFolder.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QGuiApplication>
#include <QClipboard>
#include <QDialog>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

void WriteBytes(const QString& path, size_t size)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << std::string(size, 'x');
}

// Waits until the preview has no load running.
bool WaitIdle(CMainWindow& window)
{
    return QTest::qWaitFor([&] { return window.isIdle(); }, 10000);
}

QStringList RowNames(CMainWindow& window)
{
    QStringList names;
    for (size_t row = 0; row < window.listing().RowCount(); ++row)
        names << QString::fromStdString(window.listing().ItemAtRow(row).Name);
    return names;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    QStringList m_Messages;
    int m_Answer = 0;
    std::string m_StartFolder;

    QString path(const QString& name) const { return m_Dir->filePath(name); }

    std::unique_ptr<CMainWindow> open(const QString& argument)
    {
        auto window = std::make_unique<CMainWindow>();
        window->resize(900, 600);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return nullptr;
        if (!window->startUp(argument.toStdString()))
            return nullptr;
        WaitIdle(*window);
        return window;
    }

private slots:
    void init()
    {
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), path("a.bmp")));
        QVERIFY(QFile::copy(SamplePath("jpeg-colour.jpg"), path("B.jpg")));
        QVERIFY(QFile::copy(SamplePath("png-rgba-gradient.png"), path("c.png")));
        WriteBytes(path("notes.txt"), 10);
        QVERIFY(QFile::copy(SamplePath("bmp-4bit.bmp"), path(".hidden.bmp")));
        QVERIFY(QDir(m_Dir->path()).mkdir("sub"));
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), path("sub/d.bmp")));
        WriteBytes(path("broken.png"), 0);
        m_Messages.clear();
        m_Answer = 0;
        MessageBox::SetHook([this](QWidget*, const QString& text, int) {
            m_Messages << text;
            return m_Answer;
        });
    }

    void cleanup()
    {
        MessageBox::SetHook({});
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void startUpWithFileSelectsAndPreviewsIt()
    {
        auto window = open(path("b.JPG"));  // found without regard to case
        QVERIFY(window);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), QDir(m_Dir->path()).canonicalPath());
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("B.jpg"));
        QVERIFY(window->preview()->hasImage());
        QVERIFY(window->paneText(CMainWindow::kStatePane).startsWith("  Loaded in "));
        QVERIFY(window->paneText(CMainWindow::kStatePane).endsWith(" s"));
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Oculane - [%1/B.jpg]").arg(QDir(m_Dir->path()).canonicalPath()));
        // Hidden files and non-images are not listed by default.
        QCOMPARE(RowNames(*window), (QStringList{"a.bmp", "B.jpg", "broken.png", "c.png"}));
        QVERIFY(window->paneText(CMainWindow::kSelectionPane).startsWith(" 1 of 4 ("));
        QVERIFY(window->paneText(CMainWindow::kFreeSpacePane).startsWith(" Free Disk Space: "));
    }

    void startUpInMissingFolderEnds()
    {
        auto window = std::make_unique<CMainWindow>();
        QVERIFY(!window->startUp(path("gone/x.bmp").toStdString()));
        QCOMPARE(m_Messages, QStringList{"Error during startup"});
    }

    void damagedFileShowsUnknownFormat()
    {
        auto window = open(path("broken.png"));
        QVERIFY(window);
        QVERIFY(!window->preview()->hasImage());
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QStringLiteral("  Unknown format"));
        // Not an empty window: the title and the view name the file and the view says why.
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("broken.png]")));
        QCOMPARE(window->preview()->failedName(), QStringLiteral("broken.png"));
        QVERIFY(!window->preview()->failureReason().isEmpty());
    }

    void modeSwitchAndStepping()
    {
        auto window = open(path("a.bmp"));
        QVERIFY(window);
        // The mode chooses the toolbar; the bars offer no show/hide of their own.
        const std::unique_ptr<QMenu> bars(window->createPopupMenu());
        QVERIFY(!bars || bars->isEmpty());
        window->runCommand(ID_VIEWER);
        QVERIFY(WaitIdle(*window));
        QVERIFY(window->viewerMode());
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), QStringLiteral(" 1/4"));
        const CWinBmp& image = window->preview()->image();
        QCOMPARE(window->paneText(CMainWindow::kStatePane),
                 QStringLiteral("%1x%2x%3bpp").arg(image.Width).arg(image.Height).arg(image.SourceBitsPerPixel));
        // Browser-only commands do nothing here.
        QVERIFY(!window->isCommandEnabled(ID_SELECT_ALL));
        window->runCommand(ID_SELECT_ALL);
        QCOMPARE(window->listing().SelectedCount(), size_t(1));

        window->runCommand(ID_NEXT);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("B.jpg"));
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), QStringLiteral(" 2/4"));
        window->runCommand(ID_LAST);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("c.png"));
        window->runCommand(ID_NEXT);  // stays on the last
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("c.png"));
        window->runCommand(ID_FIRST);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), QStringLiteral(" 1/4"));

        // Back by keyboard: Ctrl+Enter, as it came.
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(WaitIdle(*window));
        QVERIFY(!window->viewerMode());
        QVERIFY(window->paneText(CMainWindow::kSelectionPane).startsWith(" 1 of 4 ("));
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(window->viewerMode());
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->viewerMode());
    }

    void viewerZoomCommands()
    {
        auto window = open(path("a.bmp"));
        QVERIFY(window);
        window->runCommand(ID_VIEWER);
        QVERIFY(WaitIdle(*window));
        const int width = window->preview()->image().Width;
        window->runCommand(ID_ZOOM_200);
        QCOMPARE(window->preview()->geometry().Display().Width(), 2 * width);
        window->runCommand(ID_ACTUAL_SIZE);
        QCOMPARE(window->preview()->geometry().Display().Width(), width);
        window->runCommand(ID_ZOOM_MORE);
        QCOMPARE(window->preview()->geometry().Display().Width(), static_cast<int>(width * 1.25));
        window->runCommand(ID_ZOOM_1600);
        window->runCommand(ID_ZOOM_MORE);  // above ten times: back to ten
        QCOMPARE(window->preview()->geometry().Display().Width(), 10 * width);
        // The viewer's zoom commands do nothing in the browser.
        window->runCommand(ID_BROWSER);
        QVERIFY(WaitIdle(*window));
        QVERIFY(!window->isCommandEnabled(ID_ZOOM_MORE));
        QVERIFY(window->isCommandEnabled(ID_PREVIEW_ZOOM_50));
        window->runCommand(ID_PREVIEW_ZOOM_50);
        QCOMPARE(window->preview()->geometry().Display().Width(), width / 2);
    }

    void sortingByEveryKeyBothWays()
    {
        QVERIFY(QFile::resize(path("a.bmp"), 5000));
        auto window = open(m_Dir->path());
        QVERIFY(window);
        QCOMPARE(RowNames(*window), (QStringList{"a.bmp", "B.jpg", "broken.png", "c.png"}));
        window->runCommand(ID_SORT_BACKWARD);
        QCOMPARE(RowNames(*window), (QStringList{"c.png", "broken.png", "B.jpg", "a.bmp"}));
        window->runCommand(ID_SORT_FORWARD);
        window->runCommand(ID_SORT_EXTENSION);
        QCOMPARE(RowNames(*window).first(), QStringLiteral("a.bmp"));
        QCOMPARE(RowNames(*window)[1], QStringLiteral("B.jpg"));
        window->runCommand(ID_SORT_SIZE);
        QCOMPARE(RowNames(*window).first(), QStringLiteral("broken.png"));  // 0 bytes
        window->runCommand(ID_SORT_BACKWARD);
        QCOMPARE(RowNames(*window).first(), QStringLiteral("a.bmp"));  // 5000 bytes
        QCOMPARE(window->settings().SortKey, 3);
        QCOMPARE(window->settings().SortAscending, 0);
        // Hiding the sorted column makes the name the key.
        window->runCommand(ID_COLUMN_SIZE);
        QCOMPARE(window->listing().SortKeyValue(), 1);
        QCOMPARE(window->settings().ShowSizeColumn, 0);
        QCOMPARE(window->fileList()->model().columnCount(), 3);  // Name, Ext, Date
        QCOMPARE(RowNames(*window), (QStringList{"c.png", "broken.png", "B.jpg", "a.bmp"}));
        // A header click on the sorted column flips the direction.
        emit window->fileList()->headerClicked(0);
        QCOMPARE(RowNames(*window), (QStringList{"a.bmp", "B.jpg", "broken.png", "c.png"}));
        window->runCommand(ID_COLUMN_SIZE);
        QCOMPARE(window->fileList()->model().columnCount(), 4);
        QVERIFY(window->isCommandChecked(ID_COLUMN_SIZE));
    }

    void focusAndSelectionFollowTheFileThroughSortsAndColumns()
    {
        auto window = open(path("B.jpg"));
        QVERIFY(window);
        auto focused = [&] {
            const long row = window->fileList()->currentRow();
            return row < 0 ? QString() : QString::fromStdString(window->listing().ItemAtRow(size_t(row)).Name);
        };
        QCOMPARE(focused(), QStringLiteral("B.jpg"));
        window->runCommand(ID_SORT_BACKWARD);
        QCOMPARE(focused(), QStringLiteral("B.jpg"));
        window->runCommand(ID_COLUMN_TYPE);
        QCOMPARE(focused(), QStringLiteral("B.jpg"));
        QHeaderView* header = window->fileList()->detailsView()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        QVERIFY(window->listing().SortAscending());
        QCOMPARE(focused(), QStringLiteral("B.jpg"));
        QCOMPARE(window->listing().SelectedNames(), std::vector<std::string>{"B.jpg"});
        QCOMPARE(window->fileList()->detailsView()->selectionModel()->selectedRows().size(), 1);
    }

    void sortingByDateAndType()
    {
        const QDateTime base(QDate(2000, 6, 1), QTime(12, 0));
        const std::pair<const char*, int> years[] = {{"c.png", 0}, {"a.bmp", 1}, {"broken.png", 2}, {"B.jpg", 3}};
        for (const auto& [name, offset] : years) {
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(base.addYears(offset), QFileDevice::FileModificationTime));
        }
        auto window = open(m_Dir->path());
        QVERIFY(window);
        window->runCommand(ID_SORT_DATE);
        QCOMPARE(RowNames(*window), (QStringList{"c.png", "a.bmp", "broken.png", "B.jpg"}));
        window->runCommand(ID_SORT_BACKWARD);
        QCOMPARE(RowNames(*window), (QStringList{"B.jpg", "broken.png", "a.bmp", "c.png"}));
        window->runCommand(ID_SORT_FORWARD);

        // The Type column is hidden by default: sorting by type sorts by name.
        window->runCommand(ID_SORT_TYPE);
        QCOMPARE(RowNames(*window), (QStringList{"a.bmp", "B.jpg", "broken.png", "c.png"}));
        window->runCommand(ID_COLUMN_TYPE);
        window->runCommand(ID_SORT_NAME);
        window->runCommand(ID_SORT_TYPE);
        const CFolderListing& listing = window->listing();
        for (size_t row = 1; row < listing.RowCount(); ++row)
            QVERIFY(QString::fromStdString(TypeCell(listing.ItemAtRow(row - 1)))
                        .compare(QString::fromStdString(TypeCell(listing.ItemAtRow(row))), Qt::CaseInsensitive) <= 0);
        window->runCommand(ID_SORT_BACKWARD);
        for (size_t row = 1; row < listing.RowCount(); ++row)
            QVERIFY(QString::fromStdString(TypeCell(listing.ItemAtRow(row - 1)))
                        .compare(QString::fromStdString(TypeCell(listing.ItemAtRow(row))), Qt::CaseInsensitive) >= 0);
        // The header marks the sorted column.
        QCOMPARE(window->fileList()->detailsView()->header()->sortIndicatorSection(),
                 window->listing().Columns().PositionOf(Column::Type));
    }

    void selectionCommandsAndSummaries()
    {
        auto window = open(m_Dir->path());
        QVERIFY(window);
        window->runCommand(ID_SELECT_ALL);
        const qint64 total = QFileInfo(path("a.bmp")).size() + QFileInfo(path("B.jpg")).size() +
                             QFileInfo(path("c.png")).size();
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), QStringLiteral(" 4 of 4 (%1 bytes)").arg(total));
        window->runCommand(ID_UNSELECT_ALL);
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), QStringLiteral(" 0 of 4 (0 bytes)"));
        window->runCommand(ID_INVERT_SELECTION);
        QCOMPARE(window->listing().SelectedCount(), size_t(4));

        // Select Group by extension through the dialog.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QAbstractButton*>("extensionCheck")->setChecked(true);
            dialog->findChild<QLineEdit*>("extensionEdit")->setText("PNG");
            dialog->accept();
        });
        window->runCommand(ID_SELECT_GROUP);
        QCOMPARE(window->listing().SelectedNames(), (std::vector<std::string>{"broken.png", "c.png"}));
        QVERIFY(!window->preview()->hasImage());
        QCOMPARE(window->fileList()->detailsView()->selectionModel()->selectedRows().size(), 2);

        // Unselect Group never selects.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QAbstractButton*>("extensionCheck")->setChecked(true);
            dialog->findChild<QLineEdit*>("extensionEdit")->setText("bmp");
            dialog->accept();
        });
        window->runCommand(ID_UNSELECT_GROUP);
        QCOMPARE(window->listing().SelectedCount(), size_t(2));
    }

    void listOptionsRelistAndKeepSelection()
    {
        auto window = open(path("c.png"));
        QVERIFY(window);
        window->runCommand(ID_HIDE_NON_IMAGES);
        QVERIFY(RowNames(*window).contains("notes.txt"));
        QCOMPARE(window->listing().SelectedNames(), std::vector<std::string>{"c.png"});
        window->runCommand(ID_SHOW_HIDDEN);
        QVERIFY(RowNames(*window).contains(".hidden.bmp"));
        QCOMPARE(window->listing().SelectedNames(), std::vector<std::string>{"c.png"});
        window->runCommand(ID_HIDE_NON_IMAGES);
        QVERIFY(!RowNames(*window).contains("notes.txt"));

        // Refresh keeps the focused file, and drops the preview when it is gone.
        window->runCommand(ID_REFRESH);
        QVERIFY(WaitIdle(*window));
        QVERIFY(window->preview()->hasImage());
        QVERIFY(QFile::remove(path("c.png")));
        window->runCommand(ID_REFRESH);
        QVERIFY(!window->preview()->hasImage());
        QVERIFY(!RowNames(*window).contains("c.png"));
    }

    void navigationCommands()
    {
        const QString top = QDir(m_Dir->path()).canonicalPath();
        auto window = open(m_Dir->path());
        QVERIFY(window);
        QVERIFY(window->goToFolder((top + "/sub").toStdString()));
        QCOMPARE(RowNames(*window), QStringList{"d.bmp"});
        window->runCommand(ID_UP);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        window->runCommand(ID_BACK);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top + "/sub");
        window->runCommand(ID_BACK);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        // The address list holds each folder once.
        QCOMPARE(window->addressList()->findText(top), window->addressList()->currentIndex());

        window->settings().HomeFolder = (top + "/sub").toStdString();
        window->runCommand(ID_HOME);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top + "/sub");
        window->settings().HomeFolder = (top + "/deleted").toStdString();
        window->runCommand(ID_HOME);
        QCOMPARE(m_Messages, QStringList{"Folder not exists.\n" + top + "/deleted"});
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top + "/sub");
    }

    void typingInTheAddressFieldIsNotACommand()
    {
        // "/", Backspace and Home are the Up, Back and Home keys of the browser,
        // but in the address field they edit the path.
        const QString top = QDir(m_Dir->path()).canonicalPath();
        auto window = open(m_Dir->path());
        QVERIFY(window);
        QLineEdit* edit = window->addressList()->lineEdit();
        QVERIFY(edit);
        edit->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return edit->hasFocus(); }));
        edit->clear();
        QTest::keyClicks(edit, top + "/subx");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), top + "/sub");
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        QTest::keyClick(edit, Qt::Key_Home);
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top + "/sub");
        QCOMPARE(RowNames(*window), QStringList{"d.bmp"});
        // Elsewhere the same key is the command.
        window->fileList()->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return window->fileList()->hasFocus(); }));
        QTest::keyClick(window->fileList(), Qt::Key_Slash);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
    }

    void folderTreeFollowsTheFolder()
    {
        const QString top = QDir(m_Dir->path()).canonicalPath();
        QVERIFY(QDir(top).mkdir(".secret"));
        auto window = open(top + "/.secret");
        QVERIFY(window);
        QVERIFY(window->folderTree()->currentItem());
        QCOMPARE(window->folderTree()->currentItem()->data(0, Qt::UserRole).toString(), top + "/.secret");
        // A folder whose only subfolder is hidden still opens to show it.
        QVERIFY(QDir(top).mkpath("only/.inner"));
        for (const QString& folder : {top + "/sub", top + "/.secret", top + "/only/.inner", top}) {
            QVERIFY(window->goToFolder(folder.toStdString()));
            QTreeWidgetItem* item = window->folderTree()->currentItem();
            QVERIFY(item);
            QCOMPARE(item->data(0, Qt::UserRole).toString(), folder);
            QVERIFY(window->folderTree()->visualItemRect(item).height() > 0);
        }
        // Choosing a folder in the tree lists it.
        QTreeWidgetItem* sub = nullptr;
        QTreeWidgetItem* current = window->folderTree()->currentItem();
        window->folderTree()->expandItem(current);
        for (int i = 0; i < current->childCount(); ++i)
            if (current->child(i)->text(0) == "sub")
                sub = current->child(i);
        QVERIFY(sub);
        window->folderTree()->setCurrentItem(sub);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top + "/sub");
        QCOMPARE(RowNames(*window), QStringList{"d.bmp"});
    }

    void folderNamesThatAreNotUtf8()
    {
        // Old Latin-1 names: the bytes are the name; only the shown text is lossy.
        const std::string top = QDir(m_Dir->path()).canonicalPath().toStdString();
        const std::string latin1 = top + "/caf\xe9";
        QVERIFY(std::filesystem::create_directory(latin1));
        std::filesystem::copy_file(top + "/a.bmp", latin1 + "/x.bmp");
        auto window = open(QString::fromStdString(top));
        QVERIFY(window);
        QVERIFY(window->goToFolder(latin1));
        QVERIFY(m_Messages.isEmpty());
        QCOMPARE(window->navigator().CurrentFolder(), latin1);
        QCOMPARE(RowNames(*window), QStringList{"x.bmp"});
        QCOMPARE(window->folderTree()->currentItem()->data(0, Qt::UserRole).toByteArray().toStdString(), latin1);

        // Chosen again from the address list after going up.
        window->runCommand(ID_UP);
        QCOMPARE(window->navigator().CurrentFolder(), top);
        const long entry = window->recentFolders().Find(latin1);
        QVERIFY(entry >= 0);
        emit window->addressList()->activated(static_cast<int>(entry));
        QCOMPARE(window->navigator().CurrentFolder(), latin1);

        // And from the command line.
        auto again = std::make_unique<CMainWindow>();
        QVERIFY(again->startUp(latin1 + "/x.bmp"));
        QCOMPARE(again->currentFile(), std::string("x.bmp"));
        QVERIFY(m_Messages.isEmpty());
    }

    void vanishedFolderFallsBackToItsParent()
    {
        const QString top = QDir(m_Dir->path()).canonicalPath();
        auto window = open(m_Dir->path());
        QVERIFY(window);
        QVERIFY(window->goToFolder((top + "/sub").toStdString()));
        QVERIFY(QDir(top + "/sub").removeRecursively());
        window->runCommand(ID_REFRESH);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        QVERIFY(m_Messages.isEmpty());
        QCOMPARE(window->addressList()->currentText(), top);
    }

    void foldersWithoutReadPermission()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        const QString top = QDir(m_Dir->path()).canonicalPath();
        QVERIFY(QFile::setPermissions(top + "/sub", QFile::WriteOwner | QFile::ExeOwner));
        auto window = open(m_Dir->path());
        QVERIFY(window);
        QVERIFY(window->goToFolder((top + "/sub").toStdString()));
        QCOMPARE(window->listing().RowCount(), size_t{0});
        QCOMPARE(window->paneText(CMainWindow::kMessagePane), QStringLiteral("The folder cannot be read."));
        window->runCommand(ID_UP);
        QCOMPARE(window->paneText(CMainWindow::kMessagePane), QString());

        // A readable folder under one that may be passed but not read: the
        // tree shows it although the parent's listing cannot.
        QVERIFY(QDir(top + "/sub").mkdir("open"));
        QVERIFY(window->goToFolder((top + "/sub/open").toStdString()));
        QVERIFY(m_Messages.isEmpty());
        QCOMPARE(window->folderTree()->currentItem()->data(0, Qt::UserRole).toString(), top + "/sub/open");
        QFile::setPermissions(top + "/sub", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void favouritesAndFilesOnClose()
    {
        const QString top = QDir(m_Dir->path()).canonicalPath();
        {
            auto window = open(path("B.jpg"));
            QVERIFY(window);
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->accept();
            });
            window->runCommand(ID_ADD_FAVORITE);
            QCOMPARE(window->favourites().Count(), size_t(1));
            QCOMPARE(QString::fromStdString(window->favourites().GetFavourite(0).Folder), top);
            QCOMPARE(QString::fromStdString(window->favourites().GetFavourite(0).File), QStringLiteral("B.jpg"));
            window->runCommand(ID_SORT_SIZE);
            window->close();
        }
        const std::string config = ConfigFolder();
        QVERIFY(QFile::exists(QString::fromStdString(JoinPath(config, "oc.fav"))));
        QVERIFY(QFile::exists(QString::fromStdString(JoinPath(config, "oc18.set"))));
        QVERIFY(QFile::exists(QString::fromStdString(JoinPath(config, "oc.ruf"))));

        // The next start reads them back; the favourite opens its file.
        auto window = open(QString());
        QVERIFY(window);
        QCOMPARE(window->settings().SortKey, 3);
        QCOMPARE(window->favourites().Count(), size_t(1));
        QVERIFY(window->addressList()->findText(top) >= 0);
        QVERIFY(window->goToFolder("/"));
        QAction* entry = nullptr;
        for (QAction* a : window->findChildren<QAction*>())
            if (a->text() == QStringLiteral("B.jpg"))
                entry = a;
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(WaitIdle(*window));
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("B.jpg"));
    }

    void autoLoadOffWaitsForPreviewCommand()
    {
        auto window = open(path("a.bmp"));
        QVERIFY(window);
        window->runCommand(ID_AUTO_LOAD);
        QVERIFY(!window->isCommandChecked(ID_AUTO_LOAD));
        QTreeView* view = window->fileList()->detailsView();
        view->setCurrentIndex(view->model()->index(window->listing().FindRow("c.png"), 0));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("c.png"));
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QStringLiteral(" Done"));
        QVERIFY(window->windowTitle().endsWith("/a.bmp]"));  // still the image shown before
        QSignalSpy started(window->preview(), &CPreview::loadStarted);
        window->runCommand(ID_PREVIEW);
        QCOMPARE(started.count(), 1);
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QStringLiteral("  Loading image..."));
        QVERIFY(window->windowTitle().endsWith("/a.bmp]"));  // named for what is shown until c.png is
        QVERIFY(WaitIdle(*window));
        QVERIFY(window->windowTitle().endsWith("/c.png]"));

        // Back from the viewer, which enlarged the image, without a decode:
        // the preview fits it as the preview does (64 x 64, not enlarged).
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(window->viewerMode());
        QVERIFY(WaitIdle(*window));
        QVERIFY(window->preview()->geometry().Display().Width() > 64);
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!window->viewerMode());
        QVERIFY(!window->preview()->isLoading());
        QCOMPARE(window->preview()->geometry().Display().Width(), 64);
        QCOMPARE(window->preview()->geometry().Display().Height(), 64);
    }

    void pastedImageIsNotDroppedUnasked()
    {
        const QString top = QDir(m_Dir->path()).canonicalPath();
        auto window = open(top + "/sub");
        QVERIFY(window);
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(red);
        window->runCommand(ID_PASTE_NEW_IMAGE);
        QVERIFY(window->preview()->hasImage());
        QVERIFY(window->preview()->document().modified());

        // "Yes" with the Save As dialog cancelled keeps it shown.
        CSaveCommands::SetFileDialog([](QWidget*, const QString&, const QString&, const QStringList&, int&) {
            return QString();
        });
        m_Answer = 1;
        window->runCommand(ID_UP);
        CSaveCommands::SetFileDialog({});
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), top);
        QCOMPARE(m_Messages, QStringList{"Do you want to save your changes?"});
        QVERIFY(window->preview()->hasImage());
        // "No" lets it go.
        m_Answer = 0;
        window->runCommand(ID_REFRESH);
        QCOMPARE(m_Messages.size(), 2);
        QVERIFY(!window->preview()->hasImage());
    }

    void laterCommandsAreDisabled()
    {
        auto window = open(m_Dir->path());
        QVERIFY(window);
        for (int id : {ID_FILE_SAVE, ID_CONVERT, ID_ACQUIRE, ID_PRINT})
            QVERIFY(!window->action(id)->isEnabled());
        QVERIFY(window->action(ID_SELECT_ALL)->isEnabled());
        QVERIFY(window->action(ID_VIEWER)->isEnabled());
    }
};

OCULANE_APP_TEST(MainWindowTest)
#include "MainWindowTest.moc"
