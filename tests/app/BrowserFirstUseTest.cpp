// The browser as someone meets it the first time: the window's first size,
// the folder tree, typing names into the file list, Home and the view modes.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/FolderTreeView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/WindowPlacement.h"
#include "platform/ConfigFolder.h"
#include "platform/Directory.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

} // namespace

class BrowserFirstUseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    QStringList m_Messages;
    std::string m_StartFolder;

    QString folder() const { return QDir(m_Dir->path()).canonicalPath(); }

    // Without a size of the caller's: the window places itself.
    std::unique_ptr<CMainWindow> open(QSize size = {})
    {
        auto window = std::make_unique<CMainWindow>();
        if (size.isValid())
            window->resize(size);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()) || !window->startUp(folder().toStdString()))
            return nullptr;
        if (!QTest::qWaitFor([&] { return window->isIdle(); }, 10000))
            return nullptr;
        return window;
    }

    static bool TreeShowsCurrent(const CFolderTreeView& tree)
    {
        // Its row in view and its whole name (the column may be wider than the view).
        const QTreeWidgetItem* item = tree.currentItem();
        const QRect rect = item ? tree.visualItemRect(item) : QRect();
        const QRect view = tree.viewport()->rect();
        const int name = tree.fontMetrics().horizontalAdvance(item ? item->text(0) : QString());
        return item && rect.top() >= 0 && rect.bottom() <= view.bottom() && rect.left() >= 0 &&
               rect.left() + name <= view.width();
    }

private slots:
    void init()
    {
        // Every case starts as the first start: no placement, widths or shares.
        QDir(QString::fromStdString(ConfigFolder())).removeRecursively();
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        for (const char* name : {"IMG_0001.bmp", "IMG_0008.bmp", "IMG_0087.bmp", "IMG_0090.bmp", "IMG_0100.bmp",
                                 "a picture with a rather long name to show in full.bmp"})
            QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), m_Dir->filePath(name)));
        QVERIFY(QDir(m_Dir->path()).mkpath("one/two/three"));
        m_Messages.clear();
        MessageBox::SetHook([this](QWidget*, const QString& text, int) {
            m_Messages << text;
            return 0;
        });
    }

    void cleanup()
    {
        MessageBox::SetHook({});
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void firstStartPlacesTheWindowAndLaterStartsRestoreIt()
    {
        auto window = open();
        QVERIFY(window);
        const QRect expected = FirstStartGeometry(window->screen()->availableGeometry());
        QCOMPARE(window->size(), expected.size().expandedTo(window->minimumSizeHint()));
        QCOMPARE(window->pos(), expected.topLeft());
        // The Name column shows the longest name whole.
        QTreeView* details = window->fileList()->detailsView();
        const int longest =
            details->fontMetrics().horizontalAdvance("a picture with a rather long name to show in full");
        QVERIFY2(details->columnWidth(0) > longest, qPrintable(QString::number(details->columnWidth(0))));

        // What the user changed comes back next time.
        window->resize(700, 500);
        details->header()->resizeSection(0, 180);
        QVERIFY(window->close());
        window = open();
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(700, 500));
        QCOMPARE(window->fileList()->detailsView()->columnWidth(0), 180);
    }

    void folderTreeHasItsShareAndKeepsTheFolderInView()
    {
        auto window = open(QSize(900, 700));
        QVERIFY(window);
        QVERIFY(window->goToFolder((folder() + "/one/two/three").toStdString()));
        CFolderTreeView* tree = window->folderTree();
        QTRY_VERIFY(TreeShowsCurrent(*tree));
        QVERIFY2(tree->width() >= window->width() / 5, qPrintable(QString::number(tree->width())));
        QVERIFY2(tree->height() >= window->height() / 4, qPrintable(QString::number(tree->height())));

        auto* left = qobject_cast<QSplitter*>(tree->parentWidget());
        QVERIFY(left);
        const QList<int> before = left->sizes();
        window->runCommand(ID_VIEWER);
        QVERIFY(window->viewerMode());
        window->runCommand(ID_BROWSER);
        QVERIFY(!window->viewerMode());
        QCOMPARE(left->sizes(), before);
        QTRY_VERIFY(TreeShowsCurrent(*tree));
    }

    void typedNamesFindFilesInsteadOfRunningCommands_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("details") << int(ID_MODE_DETAILS);
        QTest::newRow("large icons") << int(ID_MODE_LARGE_ICONS);
        QTest::newRow("list") << int(ID_MODE_LIST);
    }
    void typedNamesFindFilesInsteadOfRunningCommands()
    {
        QFETCH(int, mode);
        auto window = open(QSize(900, 700));
        QVERIFY(window);
        window->runCommand(mode);
        QAbstractItemView* view = window->fileList()->currentView();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        // A dialog opened by a key would wait for an answer: close it and count it.
        int dialogs = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget())
                ++dialogs, modal->close();
        });
        closer.start(10);
        QSignalSpy unselectGroup(window->action(ID_UNSELECT_GROUP), &QAction::triggered);
        // Typing finds names even when the current cell is a size or a date.
        QAbstractItemModel* model = view->model();
        view->selectionModel()->setCurrentIndex(model->index(0, model->columnCount() - 1),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

        QTest::keyClicks(view, QStringLiteral("IMG_0087"));
        QCOMPARE(window->currentFile(), std::string("IMG_0087.bmp"));
        QCOMPARE(unselectGroup.count(), 0);
        QCOMPARE(dialogs, 0);
        QVERIFY(QTest::qWaitFor([&] { return window->isIdle(); }, 10000));
        // The accelerators stay where no name is typed: the keypad's digits
        // zoom the preview, "/" goes up a folder.
        QSignalSpy zoom(window->action(ID_PREVIEW_ZOOM_100), &QAction::triggered);
        QTest::keyClick(view, Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(zoom.count(), 1);
        QCOMPARE(window->currentFile(), std::string("IMG_0087.bmp"));
        QTest::keyClick(view, Qt::Key_Slash);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), QFileInfo(folder()).path());
    }

    void homeWithoutAHomeFolderIsTheUsersHome()
    {
        auto window = open(QSize(900, 700));
        QVERIFY(window);
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", (folder() + "/one").toUtf8());
        window->settings().HomeFolder.clear();
        window->runCommand(ID_HOME);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), folder() + "/one");
        QVERIFY(m_Messages.isEmpty());
        // A home that is gone is named in the message.
        qputenv("HOME", (folder() + "/gone").toUtf8());
        window->runCommand(ID_HOME);
        qputenv("HOME", savedHome);
        QCOMPARE(m_Messages, QStringList{"Folder not exists.\n" + folder() + "/gone"});
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), folder() + "/one");
    }

    void viewModesKeepSelectionAndCurrentFile()
    {
        auto window = open(QSize(900, 700));
        QVERIFY(window);
        CFileListView* list = window->fileList();
        window->runCommand(ID_MODE_DETAILS);
        list->currentView()->setFocus();
        QTRY_VERIFY(list->currentView()->hasFocus());
        QTest::keyClick(list->currentView(), Qt::Key_End);
        QTest::keyClick(list->currentView(), Qt::Key_Up, Qt::ShiftModifier);
        const std::vector<std::string> selected = window->listing().SelectedNames();
        const std::string current = window->currentFile();
        QCOMPARE(selected.size(), size_t(2));
        QVERIFY(!current.empty());
        for (int mode : {ID_MODE_LARGE_ICONS, ID_MODE_SMALL_ICONS, ID_MODE_LIST, ID_MODE_DETAILS, ID_MODE_LIST}) {
            window->runCommand(mode);
            QAbstractItemView* view = list->currentView();
            QCOMPARE(window->listing().SelectedNames(), selected);
            QCOMPARE(window->currentFile(), current);
            QCOMPARE(list->currentRow(), window->listing().FindRow(current));
            QCOMPARE(view->selectionModel()->selectedRows().size(), 2);
            // The keyboard goes on where it was.
            QTRY_VERIFY(view->hasFocus());
            QTRY_VERIFY(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));
        }
    }
};

OCULANE_APP_TEST(BrowserFirstUseTest)
#include "BrowserFirstUseTest.moc"
