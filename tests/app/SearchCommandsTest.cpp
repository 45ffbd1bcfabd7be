// Find Files and Compare Directories: their dialogs with searches and
// comparisons on temporary folders, and the commands that run them.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/CompareDialogs.h"
#include "app/FindFilesDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "jobs/Job.h"
#include "platform/Directory.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

bool Write(const QString& path, const QByteArray& bytes = "x")
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool SetTime(const QString& path, const QDateTime& time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QStringList Row(QTreeWidget* list, int row)
{
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells << list->topLevelItem(row)->text(c);
    return cells;
}

} // namespace

class SearchCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    MessageRecorder m_Boxes;
    std::string m_StartFolder;

    QString path(const QString& name) const { return QDir(m_Dir->path()).canonicalPath() + "/" + name; }

    static bool search(CFindFilesDialog& dialog, const QString& folder, const QString& extension)
    {
        dialog.findChild<QLineEdit*>("lookIn")->setText(folder);
        dialog.findChild<QLineEdit*>("extension")->setText(extension);
        dialog.findNow();
        return QTest::qWaitFor([&] { return !dialog.isSearching(); }, 20000);
    }

private slots:
    void init()
    {
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        QDir root(m_Dir->path());
        for (const char* folder : {"tree", "tree/sub", "tree/sub/deep", "one", "two"})
            QVERIFY(root.mkpath(folder));
        for (const char* file : {"tree/a.bmp", "tree/b.txt", "tree/sub/c.bmp", "tree/sub/deep/D.BMP"})
            QVERIFY(Write(path(file)));
        m_Boxes.Start();
    }

    void cleanup()
    {
        m_Boxes.Stop();
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void findListsMatchesAndCounts()
    {
        CSettings settings;
        CFindFilesDialog dialog(settings, path("tree").toStdString());
        const struct {
            const char* extension;
            QStringList found;
            QString status;
        } cases[] = {
            {"*.*", {"tree/a.bmp", "tree/b.txt", "tree/sub/c.bmp", "tree/sub/deep/D.BMP"}, "4 file(s) found"},
            {"*.BMP", {"tree/a.bmp", "tree/sub/c.bmp", "tree/sub/deep/D.BMP"}, "3 file(s) found"},
            {"txt", {"tree/b.txt"}, "1 file(s) found"},  // typed without "*."
            {"*.png", {}, "No files found"},
        };
        for (const auto& c : cases) {
            QVERIFY(search(dialog, path("tree"), c.extension));
            QStringList expected;
            for (const QString& name : c.found)
                expected << path(name);
            QStringList found = dialog.results();
            found.sort();
            QCOMPARE(found, expected);
            QCOMPARE(dialog.statusText(), c.status);
        }
        QVERIFY(m_Boxes.Texts.isEmpty());
        // The current folder of the process is never the search's.
        QCOMPARE(CurrentFolder(), m_StartFolder);
    }

    void findInMissingFolderStartsNothing()
    {
        CSettings settings;
        CFindFilesDialog dialog(settings, path("tree").toStdString());
        dialog.findChild<QLineEdit*>("lookIn")->setText(path("gone"));
        dialog.findNow();
        QCOMPARE(m_Boxes.Texts, QStringList{"Folder not exist."});
        QVERIFY(!dialog.isSearching());
        QVERIFY(!dialog.job().IsRunning());
    }

    void findStopAndCloseLeaveNoThread()
    {
        CSettings settings;
        std::string jobName;
        {
            CFindFilesDialog dialog(settings, "/");
            jobName = dialog.job().ObjectName();
            // A new Find Now ends the long search first; none of its results stays.
            dialog.findNow();
            QVERIFY(dialog.isSearching());
            QVERIFY(search(dialog, path("tree"), "*.bmp"));
            QCOMPARE(dialog.results().size(), 3);

            dialog.findChild<QLineEdit*>("lookIn")->setText("/");
            dialog.findNow();
            dialog.stopSearch();
            QVERIFY(QTest::qWaitFor([&] { return !dialog.isSearching(); }, 5000));
            QVERIFY(dialog.statusText().endsWith("found"));

            dialog.findNow();
            dialog.reject();  // "&Close" while searching
            QVERIFY(!dialog.job().IsRunning());
        }
        QCOMPARE(CThread::SharedLockCount(jobName), 0);
    }

    void findGoesToTheChosenFile()
    {
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        QVERIFY(window->startUp(path("tree").toStdString()));
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<CFindFilesDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(search(*dialog, path("tree"), "*.bmp"));
            auto* list = dialog->findChild<QAbstractItemView*>("results");
            const int row = dialog->results().indexOf(path("tree/sub/c.bmp"));
            list->setCurrentIndex(list->model()->index(row, 0));
            dialog->findChild<QAbstractButton*>("close")->click();
        });
        window->runCommand(ID_FIND);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), path("tree/sub"));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("c.bmp"));
        QVERIFY(m_Boxes.Texts.isEmpty());
    }

    void compareListsCommonFiles()
    {
        CSettings settings;
        settings.UseRecycleBin = 0;
        const QDateTime when(QDate(2020, 5, 17), QTime(10, 0, 0));
        for (const char* name : {"one/same.bmp", "two/same.bmp", "one/only.bmp", "two/other.bmp"}) {
            QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), path(name)));
            QVERIFY(SetTime(path(name), when));
        }
        CCompareResultsDialog dialog(settings, path("one").toStdString(), path("two").toStdString());
        dialog.show();
        QVERIFY(QTest::qWaitFor([&] { return dialog.statusText() == "Done."; }, 10000));
        const QString size = QString::number(QFile(path("one/same.bmp")).size());
        const QString date = when.toString("MM dd yyyy");
        for (int side : {0, 1}) {
            QCOMPARE(dialog.list(side)->topLevelItemCount(), 1);
            QCOMPARE(Row(dialog.list(side), 0), (QStringList{"same", "bmp", size, date}));
            QCOMPARE(dialog.countText(side), QStringLiteral("1 file(s)"));
        }
        // The preview tells the image's size.
        const QSize pixels = QImage(path("one/same.bmp")).size();
        dialog.list(0)->setCurrentItem(dialog.list(0)->topLevelItem(0));
        auto* imageSize = dialog.findChild<QLabel*>("sourceImageSize");
        QVERIFY(QTest::qWaitFor([&] { return !imageSize->text().isEmpty(); }, 10000));
        QCOMPARE(imageSize->text(), QStringLiteral("%1x%2").arg(pixels.width()).arg(pixels.height()));

        // Delete, for good here.
        m_Boxes.Answer = 1;
        dialog.list(1)->setCurrentItem(dialog.list(1)->topLevelItem(0));
        dialog.findChild<QAbstractButton*>("destinationDelete")->click();
        QCOMPARE(m_Boxes.Texts, QStringList{"Do you really want to delete\n" + path("two/same.bmp") + "?"});
        QVERIFY(!QFile::exists(path("two/same.bmp")));
        QCOMPARE(dialog.countText(1), QStringLiteral("0 file(s)"));
    }

    void compareRefusesNoOrTheSameDestination()
    {
        QVERIFY(QFile::link(path("one"), path("link")));
        CSettings settings;
        const struct {
            QString destination;
            QString message;
        } cases[] = {
            {"", CCompareSettingsDialog::kNoDestination},
            {path("link"), CCompareSettingsDialog::kSameFolder},   // a link to it
            {path("one/../one/"), CCompareSettingsDialog::kSameFolder},
            {"../one", CCompareSettingsDialog::kSameFolder},      // relative to the source
        };
        for (const auto& c : cases) {
            m_Boxes.Texts.clear();
            CCompareSettingsDialog dialog(settings, path("one").toStdString(), {});
            dialog.findChild<QLineEdit*>("destination")->setText(c.destination);
            dialog.accept();
            QCOMPARE(m_Boxes.Texts, QStringList{c.message});
            QVERIFY(dialog.result() != QDialog::Accepted);
        }
        CCompareSettingsDialog dialog(settings, path("one").toStdString(), {});
        dialog.findChild<QAbstractButton*>("bySize")->setChecked(false);
        dialog.findChild<QLineEdit*>("destination")->setText("../two");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(dialog.destination()), path("two"));
        QCOMPARE(settings.CompareBySize, 0);
    }

    void compareMissingFolderEndsWithNew()
    {
        CSettings settings;
        CCompareResultsDialog dialog(settings, path("one").toStdString(), path("gone").toStdString());
        dialog.open();
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 10000));
        QCOMPARE(dialog.result(), int(CCompareResultsDialog::kNew));
        QCOMPARE(m_Boxes.Texts, QStringList{path("gone") + " not found."});
    }

    void compareCommandGoesToTheDestinationFiles()
    {
        for (const char* name : {"one/x.bmp", "two/X.bmp", "two/y.bmp"})
            QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), path(name)));
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        QVERIFY(window->startUp(path("one").toStdString()));
        CSettings& settings = window->settings();
        settings.CompareBySize = settings.CompareByDate = settings.CompareCaseSensitive = 0;
        int steps = 0;
        std::function<void()> drive = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* setup = qobject_cast<CCompareSettingsDialog*>(modal)) {
                setup->findChild<QLineEdit*>("destination")->setText(path("two"));
                setup->accept();
                ++steps;
            } else if (auto* results = qobject_cast<CCompareResultsDialog*>(modal);
                       results && results->statusText() == "Done.") {
                QCOMPARE(results->countText(1), QStringLiteral("1 file(s)"));
                results->findChild<QAbstractButton*>("destinationGoTo")->click();
                ++steps;
                return;
            }
            QTimer::singleShot(20, drive);
        };
        QTimer::singleShot(0, drive);
        window->runCommand(ID_COMPARE);
        QCOMPARE(steps, 2);
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), path("two"));
        QCOMPARE(window->listing().SelectedNames(), std::vector<std::string>{"X.bmp"});
        QVERIFY(m_Boxes.Texts.isEmpty());
    }
};

OCULANE_APP_TEST(SearchCommandsTest)
#include "SearchCommandsTest.moc"
