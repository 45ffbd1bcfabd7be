// Delete, Rename, Rename Series and New Folder driven by command id, with the
// boxes and dialogs answered; the job progress dialog with a slow job.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/JobProgressDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "jobs/Job.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

// Items, each taking a few milliseconds, each failing when asked to.
class CSlowJob final : public CThread {
public:
    CSlowJob(int items, bool fail) : CThread("CSlowJob"), m_Items(items), m_Fail(fail) {}
    ~CSlowJob() override { Shutdown(); }
    std::atomic<int> Done{0};

protected:
    void DoJob() override
    {
        Done = 0;
        for (int i = 0; i < m_Items && !Stopping(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            GetOwner()->OnCurrentItem("item " + std::to_string(i));
            if (m_Fail)
                GetOwner()->OnError({"item", "broken", "Can't do item " + std::to_string(i)});
            GetOwner()->OnProgress((i + 1) * 100 / m_Items);
            ++Done;
        }
    }

private:
    int m_Items;
    bool m_Fail;
};

// What the next dialog gets: the text of its "name" field, the series
// choice, and OK or Cancel.
struct DialogAnswer {
    QString Name;
    bool Ok = true;
    bool SelectedOnly = false;
};

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;
    QList<DialogAnswer> m_Dialogs;
    QStringList m_Titles;  // of the dialogs answered, in turn
    QList<bool> m_SelectedOnlyShown;  // the series choice each Rename Series dialog came with
    QTimer m_Answerer;

    QString path(const QString& name) const { return m_Dir->filePath(name); }
    QString folder() const { return path("work"); }
    QString current() const { return QString::fromStdString(m_Window->navigator().CurrentFolder()); }
    QStringList files(const QString& in) const
    {
        return QDir(in).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    void open(const char* nameToSelect = "")
    {
        QVERIFY(m_Window->goToFolder(folder().toStdString(), nameToSelect));
    }
    void select(const QStringList& names)
    {
        CFolderListing& listing = m_Window->listing();
        listing.UnselectAll();
        for (const QString& name : names)
            listing.SetSelected(static_cast<size_t>(listing.FindRow(name.toStdString())), true);
        m_Window->fileList()->pushSelection();
    }
    void answerDialog()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || qobject_cast<CJobProgressDialog*>(dialog) || !dialog->isVisible())
            return;
        m_Titles << dialog->windowTitle();
        // A dialog nobody expected is cancelled, so that a test fails instead of hanging.
        const DialogAnswer answer = m_Dialogs.isEmpty() ? DialogAnswer{{}, false} : m_Dialogs.takeFirst();
        if (auto* name = dialog->findChild<QLineEdit*>("name"))
            name->setText(answer.Name);
        if (auto* shown = dialog->findChild<QRadioButton*>("selected"))
            m_SelectedOnlyShown << shown->isChecked();
        if (auto* choice = dialog->findChild<QRadioButton*>(answer.SelectedOnly ? "selected" : "all"))
            choice->setChecked(true);
        if (answer.Ok)
            dialog->accept();
        else
            dialog->reject();
    }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_Dir->path()).mkdir("work"));
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), folder() + "/" + name));
        m_Dialogs.clear();
        m_Titles.clear();
        m_SelectedOnlyShown.clear();
        m_Boxes.Start(1);
        m_Answerer.setInterval(10);
        connect(&m_Answerer, &QTimer::timeout, this, &FileCommandsTest::answerDialog, Qt::UniqueConnection);
        m_Answerer.start();
        m_Window = std::make_unique<CMainWindow>();
        m_Window->setSaveOnClose(false);
        m_Window->resize(900, 600);
        m_Window->show();
        QVERIFY(m_Window->startUp(folder().toStdString()));
        CSettings& settings = m_Window->settings();
        settings.UseRecycleBin = 0;
        settings.ConfirmSingleDelete = settings.ConfirmMultipleDelete = 1;
        settings.ConfirmEmptyFolderDelete = settings.ConfirmNonEmptyFolderDelete = 1;
    }

    void cleanup()
    {
        m_Answerer.stop();
        m_Window.reset();
        m_Boxes.Stop();
        m_Dir.reset();
    }

    void deleteSelectedFiles_data()
    {
        QTest::addColumn<bool>("trash");
        QTest::addColumn<int>("answer");
        QTest::newRow("removed") << false << 1;
        QTest::newRow("to the trash") << true << 1;
        QTest::newRow("not confirmed") << false << 0;
    }
    void deleteSelectedFiles()
    {
        QFETCH(bool, trash);
        QFETCH(int, answer);
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        m_Window->settings().UseRecycleBin = trash ? 1 : 0;
        m_Boxes.Answer = answer;
        open();
        select({"a.bmp", "c.bmp"});
        m_Window->runCommand(ID_DELETE);
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(m_Boxes.Texts.join("|"), QStringLiteral("Do you really want to delete the 2 selected files?\n\n"));
        const QStringList left = answer ? QStringList{"b.bmp"} : QStringList{"a.bmp", "b.bmp", "c.bmp"};
        QCOMPARE(files(folder()), left);
        QCOMPARE(m_Window->listing().RowCount(), static_cast<size_t>(left.size()));
        if (trash) {
            QCOMPARE(files(path("data/Trash/files")), (QStringList{"a.bmp", "c.bmp"}));
            QCOMPARE(files(path("data/Trash/info")), (QStringList{"a.bmp.trashinfo", "c.bmp.trashinfo"}));
        } else {
            QVERIFY(!QDir(path("data/Trash")).exists());
        }
    }

    void deleteTheFolderShowsItsParent()
    {
        open();
        // The tree's Delete acts on the folder even with files selected.
        select({"a.bmp"});
        m_Window->runCommand(235);
        QCOMPARE(m_Boxes.Texts, QStringList{"Do you really want to delete the folder 'work' and all its contents?\n\n"});
        QVERIFY(!QDir(folder()).exists());
        QCOMPARE(current(), QDir(m_Dir->path()).absolutePath());
    }

    void theHomeFolderIsNeverDeleted_data()
    {
        QTest::addColumn<int>("confirm");
        QTest::addColumn<int>("id");
        QTest::newRow("asking") << 1 << int(ID_DELETE);
        QTest::newRow("not asking") << 0 << int(ID_DELETE);
        QTest::newRow("from the tree") << 0 << 235;
    }
    void theHomeFolderIsNeverDeleted()
    {
        QFETCH(int, confirm);
        QFETCH(int, id);
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", folder().toUtf8());
        CSettings& settings = m_Window->settings();
        settings.ConfirmEmptyFolderDelete = settings.ConfirmNonEmptyFolderDelete = confirm;
        open();
        m_Window->runCommand(id);
        qputenv("HOME", oldHome);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QVERIFY2(m_Boxes.Texts[0].startsWith("Can't delete the '" + folder() + "' folder.\n"), qPrintable(m_Boxes.Texts[0]));
        QCOMPARE(files(folder()), (QStringList{"a.bmp", "b.bmp", "c.bmp"}));
        QCOMPARE(current(), folder());
    }

    void progressDialog_data()
    {
        QTest::addColumn<int>("cancelBy");  // 0 none, 1 the button, 2 Esc
        QTest::addColumn<bool>("fail");
        QTest::addColumn<QStringList>("messages");
        QStringList failures;
        for (int i = 0; i < 20; ++i)
            failures << QStringLiteral("Can't do item %1").arg(i);
        failures << "... and 5 more";
        QTest::newRow("finished") << 0 << false << QStringList{};
        QTest::newRow("failures in one message") << 0 << true << QStringList{failures.join('\n')};
        QTest::newRow("cancelled") << 1 << false << QStringList{"User abort!"};
        QTest::newRow("Esc") << 2 << false << QStringList{"User abort!"};
    }
    void progressDialog()
    {
        QFETCH(int, cancelBy);
        QFETCH(bool, fail);
        const bool cancel = cancelBy != 0;
        QFETCH(QStringList, messages);
        CSlowJob job(cancel ? 2000 : 25, fail);
        bool finished = false;
        {
            CJobProgressDialog dialog("Delete", job, m_Window.get());
            if (cancel) {
                // Cancel once the job is under way.
                QTimer::singleShot(0, &dialog, [&] {
                    QVERIFY(QTest::qWaitFor([&] { return job.Done > 10; }, 5000));
                    if (cancelBy == 1)
                        dialog.findChild<QPushButton*>()->click();
                    else
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                    QCOMPARE(dialog.findChild<QLabel*>("item")->text(), QStringLiteral("Cancelling…"));
                });
            }
            finished = dialog.run();
            QCOMPARE(dialog.errors().size(), fail ? 25 : 0);
        }
        QCOMPARE(finished, !cancel);
        QCOMPARE(m_Boxes.Texts, messages);
        QVERIFY(!cancel || job.Done < 2000);
        QVERIFY(!job.IsRunning());
        QCOMPARE(CThread::SharedLockCount("CSlowJob"), 0);
    }

    void renameToATakenNameAsksAgain()
    {
        open("a.bmp");
        m_Dialogs = {{"b"}, {"", false}};
        m_Window->runCommand(ID_RENAME);
        QCOMPARE(m_Boxes.Texts, QStringList{"This file already exists."});
        QCOMPARE(m_Titles, (QStringList{"Rename", "Rename"}));
        QCOMPARE(files(folder()), (QStringList{"a.bmp", "b.bmp", "c.bmp"}));

        m_Boxes.Texts.clear();
        m_Dialogs = {{"holiday"}};
        m_Window->runCommand(ID_RENAME);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(files(folder()), (QStringList{"b.bmp", "c.bmp", "holiday.bmp"}));
        QCOMPARE(m_Window->currentFile(), std::string("holiday.bmp"));
    }

    void renameTheFolderFromTheTree()
    {
        open("a.bmp");
        m_Dialogs = {{"renamed"}};
        m_Window->runCommand(236);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(current(), path("renamed"));
        QCOMPARE(files(path("renamed")), (QStringList{"a.bmp", "b.bmp", "c.bmp"}));
        QCOMPARE(m_Window->listing().RowCount(), size_t(3));
    }

    void renameSeries()
    {
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), folder() + "/trip2.bmp"));
        open("b.bmp");
        m_Dialogs = {{"trip"}};
        m_Window->runCommand(ID_RENAME_SERIES);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(m_Titles, QStringList{"Rename Series"});
        QCOMPARE(files(folder()), (QStringList{"trip1.bmp", "trip2.bmp", "trip3.bmp", "trip4.bmp"}));
        // b.bmp, now trip3.bmp, stays current.
        QCOMPARE(m_Window->currentFile(), std::string("trip3.bmp"));

        // Only the selected files, the choice remembered for the next time.
        select({"trip1.bmp", "trip4.bmp"});
        m_Dialogs = {{"x", true, true}};
        m_Window->runCommand(ID_RENAME_SERIES);
        QCOMPARE(files(folder()), (QStringList{"trip2.bmp", "trip3.bmp", "x1.bmp", "x2.bmp"}));
        m_Dialogs = {{"", false}};
        m_Window->runCommand(ID_RENAME_SERIES);
        QCOMPARE(m_SelectedOnlyShown, (QList<bool>{false, false, true}));
    }

    void newFolderRefusesAPath()
    {
        open();
        m_Dialogs = {{"a/b"}, {"sub"}};
        m_Window->runCommand(ID_NEW_FOLDER);
        QCOMPARE(m_Titles, (QStringList{"New Folder", "New Folder"}));
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QVERIFY2(m_Boxes.Texts[0].startsWith("Can't create directory.\n"), qPrintable(m_Boxes.Texts[0]));
        QCOMPARE(files(folder()), (QStringList{"a.bmp", "b.bmp", "c.bmp", "sub"}));
        QCOMPARE(m_Window->listing().RowCount(), size_t(3));
    }
};

OCULANE_APP_TEST(FileCommandsTest)
#include "FileCommandsTest.moc"
