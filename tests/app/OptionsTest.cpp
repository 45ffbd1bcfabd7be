// Tools > Options: the dialog shows the settings, OK stores what its controls
// say and the window shows the change, Cancel changes nothing.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/FolderTreeView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/OptionsDialog.h"
#include "browser/StatusTexts.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

QAbstractButton* Button(QWidget* dialog, const char* text)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->text() == QLatin1String(text))
            return button;
    return nullptr;
}

// The drop-down list after the label of that text.
QComboBox* List(QWidget* dialog, const char* label)
{
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->text() == QLatin1String(label))
            return qobject_cast<QComboBox*>(l->buddy());
    return nullptr;
}

QStringList RowNames(CMainWindow& window)
{
    QStringList names;
    for (size_t row = 0; row < window.listing().RowCount(); ++row)
        names << QString::fromStdString(window.listing().ItemAtRow(row).Name);
    return names;
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
    MessageRecorder m_Boxes;

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::string m_StartFolder;

    std::unique_ptr<CMainWindow> open()
    {
        auto window = std::make_unique<CMainWindow>();
        window->resize(900, 600);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()) ||
            !window->startUp(m_Dir->filePath(QStringLiteral("a.bmp")).toStdString()))
            return nullptr;
        if (!QTest::qWaitFor([&] { return window->isIdle(); }, 10000))
            return nullptr;
        return window;
    }

    // Opens the dialog by command; `edit` works its controls, then OK or Cancel.
    // False when no dialog showed.
    static bool runOptions(CMainWindow& window, const std::function<void(COptionsDialog&)>& edit, bool ok,
                           QWidget* keyTarget = nullptr)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<COptionsDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            // Its accelerators work once it is the active window, which the
            // offscreen platform makes it only when asked.
            dialog->activateWindow();
            shown = QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; });
            edit(*dialog);
            ok ? dialog->accept() : dialog->reject();
        });
        if (keyTarget)
            QTest::keyClick(keyTarget, Qt::Key_O, Qt::ShiftModifier);
        else
            window.runCommand(ID_OPTIONS);
        return shown;
    }

    // A control on each page, changed as a user would.
    static void changeEveryPage(COptionsDialog& dialog)
    {
        QTabWidget* pages = dialog.pages();
        pages->setCurrentIndex(0);
        Button(&dialog, "Hide non-images")->click();
        Button(&dialog, "&Show full path in title bar")->click();
        pages->setCurrentIndex(1);
        QTest::keyClick(&dialog, Qt::Key_N, Qt::AltModifier);
        // An accelerator presses its button a moment later, as a click shows.
        QTRY_VERIFY(Button(&dialog, "Re&name")->isChecked());
        pages->setCurrentIndex(2);
        Button(&dialog, "&Random")->click();
        dialog.findChild<QSlider*>(QStringLiteral("delay"))->setValue(5);
        pages->setCurrentIndex(3);
        Button(&dialog, "&Shrink to fit in window")->click();
        pages->setCurrentIndex(4);
        List(&dialog, "File size in:")->setCurrentIndex(kSizeKB);
        List(&dialog, "Image size in:")->setCurrentIndex(kLengthInches);
        dialog.findChild<QLineEdit*>(QStringLiteral("homeFolder"))->setText(QStringLiteral("/home folder"));
        Button(&dialog, "&Settings")->click();
    }

private slots:
    void init()
    {
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), m_Dir->filePath(QStringLiteral("a.bmp"))));
        std::ofstream(m_Dir->filePath(QStringLiteral("notes.txt")).toStdString()) << "notes";
        m_Boxes.Start();
    }

    void cleanup()
    {
        m_Boxes.Stop();
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void okStoresEveryPageAndRefreshesTheWindow()
    {
        auto window = open();
        QVERIFY(window);
        QCOMPARE(RowNames(*window), QStringList{"a.bmp"});
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("/a.bmp]")));
        QVERIFY(window->windowTitle().size() > QStringLiteral("Oculane - [a.bmp]").size());
        const QString bytesSize = QString::fromStdString(FileSizeText(4150, kSizeBytes));
        QVERIFY2(window->paneText(CMainWindow::kMessagePane).contains(bytesSize),
                 qPrintable(window->paneText(CMainWindow::kMessagePane)));

        QVERIFY(runOptions(*window, changeEveryPage, true));

        const CSettings& s = window->settings();
        QCOMPARE(s.HideNonImages, 0);
        QCOMPARE(s.BrowserFullPathInTitle, 0);
        QCOMPARE(s.OverwriteExisting, 2);
        QCOMPARE(s.SlideSequence, 2);
        QCOMPARE(s.SlideDelay, 5);
        QCOMPARE(s.ViewerShrink, 0);
        QCOMPARE(s.FileSizeUnit, int(kSizeKB));
        QCOMPARE(s.ImageSizeUnit, int(kLengthInches));
        QCOMPARE(s.HomeFolder, std::string("/home folder"));
        QCOMPARE(s.SaveSettings, 0);
        // Untouched values stay.
        QCOMPARE(s.EnablePreview, 1);
        QCOMPARE(s.UseRecycleBin, 1);

        // The non-image is listed now, the image stays selected and shown.
        QCOMPARE(RowNames(*window), (QStringList{"a.bmp", "notes.txt"}));
        QCOMPARE(window->currentFile(), std::string("a.bmp"));
        QVERIFY(window->preview()->hasImage());
        QCOMPARE(window->windowTitle(), QStringLiteral("Oculane - [a.bmp]"));
        const QString message = window->paneText(CMainWindow::kMessagePane);
        QVERIFY2(message.contains(QString::fromStdString(FileSizeText(4150, kSizeKB))), qPrintable(message));
        const CWinBmp& image = window->preview()->image();
        QVERIFY2(message.contains(QString::fromStdString(
                     ImageDimensionsText(image.Width, image.Height, image.SourceBitsPerPixel, kLengthInches))),
                 qPrintable(message));
        QVERIFY(window->paneText(CMainWindow::kSelectionPane).endsWith(QStringLiteral(" KB)")));

        // And back: the non-image goes again.
        QVERIFY(runOptions(
            *window, [](COptionsDialog& dialog) { Button(&dialog, "Hide non-images")->click(); }, true));
        QCOMPARE(RowNames(*window), QStringList{"a.bmp"});
    }

    void cancelChangesNothing()
    {
        auto window = open();
        QVERIFY(window);
        const std::vector<uint8_t> before = window->settings().ToFileBytes();
        const QString title = window->windowTitle();
        const QString selection = window->paneText(CMainWindow::kSelectionPane);

        QVERIFY(runOptions(*window, changeEveryPage, false));

        QVERIFY(window->settings().ToFileBytes() == before);
        QCOMPARE(RowNames(*window), QStringList{"a.bmp"});
        QCOMPARE(window->windowTitle(), title);
        QCOMPARE(window->paneText(CMainWindow::kSelectionPane), selection);
    }

    void dialogShowsTheSettings()
    {
        auto window = open();
        QVERIFY(window);
        CSettings& s = window->settings();
        s.OverwriteExisting = 3;
        s.SlideDelay = 7;
        s.SlideImageSize = 1;
        s.EnablePreview = 0;
        s.ImageSizeUnit = kLengthCentimetres;
        s.HomeFolder = "/photos";
        QVERIFY(runOptions(
            *window,
            [](COptionsDialog& dialog) {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
                QTabWidget* pages = dialog.pages();
                QStringList names;
                for (int i = 0; i < pages->count(); ++i)
                    names << pages->tabText(i);
                QCOMPARE(names, (QStringList{"Browser", "Filing", "Slide Show", "Viewer", "Misc"}));
                QVERIFY(Button(&dialog, "&Skip")->isChecked());
                QVERIFY(Button(&dialog, "&Full size")->isChecked());
                QVERIFY(!Button(&dialog, "&Enable preview")->isChecked());
                QVERIFY(Button(&dialog, "&Recently used folders list")->isChecked());
                QCOMPARE(dialog.findChild<QSlider*>(QStringLiteral("delay"))->value(), 7);
                QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("delayText"))->text(), QStringLiteral("7 seconds"));
                QCOMPARE(List(&dialog, "Image size in:")->currentText(), QStringLiteral("centimeters"));
                QCOMPARE(List(&dialog, "File size in:")->currentText(), QStringLiteral("bytes"));
                QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("homeFolder"))->text(), QStringLiteral("/photos"));
            },
            false));
    }

    void delayTextFollowsTheSlider_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "no delay";
        QTest::newRow("1") << 1 << "1 second";
        QTest::newRow("5") << 5 << "5 seconds";
        QTest::newRow("10") << 10 << "10 seconds";
    }
    void delayTextFollowsTheSlider()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        CSettings settings;
        COptionsDialog dialog(settings);
        auto* slider = dialog.findChild<QSlider*>(QStringLiteral("delay"));
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 10);
        QCOMPARE(slider->singleStep(), 1);
        slider->setValue(seconds);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("delayText"))->text(), text);
        QCOMPARE(COptionsDialog::DelayText(seconds), text);
    }

    // In the file list a typed capital finds a file by name instead.
    void shiftOOpensTheDialogFromTheFolderTree()
    {
        auto window = open();
        QVERIFY(window);
        QWidget* tree = window->folderTree();
        tree->setFocus();
        QVERIFY(runOptions(*window, [](COptionsDialog&) {}, false, tree));
    }
};

OCULANE_APP_TEST(OptionsTest)

#include "OptionsTest.moc"
