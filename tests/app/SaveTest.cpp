// Save, Save As, the options dialogs, the "save your changes" question and
// Convert, driven by command id with the file dialog and the boxes answered.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SaveCommands.h"
#include "view/Preview.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

QByteArray Head(const QString& path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

// Runs check on the dialog the next command opens, then closes it.
void AnswerNextDialog(bool ok, std::function<void(QDialog&)> check = {})
{
    QTimer::singleShot(0, [ok, check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (check)
            check(*dialog);
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
}

} // namespace

class SaveTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;
    QStringList m_Chosen;  // what the file dialog answers, in turn; none left is Cancel
    QStringList m_Proposed;

    QString path(const QString& name) const { return m_Dir->filePath(name); }
    CPreview& view() { return *m_Window->preview(); }
    bool idle() { return QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000); }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), path("a.bmp")));
        QVERIFY(QFile::copy(SamplePath("jpeg-colour.jpg"), path("photo.JPG")));
        m_Chosen.clear();
        m_Proposed.clear();
        m_Boxes.Start();
        CSaveCommands::SetFileDialog([this](QWidget*, const QString&, const QString& proposed, const QStringList&,
                                            int&) {
            m_Proposed << proposed;
            return m_Chosen.isEmpty() ? QString() : path(m_Chosen.takeFirst());
        });
        m_Window = std::make_unique<CMainWindow>();
        m_Window->setSaveOnClose(false);
        m_Window->resize(900, 600);
        m_Window->show();
        QVERIFY(m_Window->startUp(path("photo.JPG").toStdString()));
        QVERIFY(idle());
        QVERIFY(view().hasImage());
    }

    void cleanup()
    {
        m_Window.reset();
        CSaveCommands::SetFileDialog({});
        m_Boxes.Stop();
        m_Dir.reset();
    }

    void saveWritesTheShownFileInItsFormat()
    {
        const QByteArray before = Head(path("photo.JPG"), 1 << 20);
        m_Window->runCommand(ID_FLIP_BOTH);
        QVERIFY(view().document().modified());
        m_Window->runCommand(ID_FILE_SAVE);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QVERIFY(m_Proposed.isEmpty());
        QCOMPARE(Head(path("photo.JPG"), 3), QByteArray("\xFF\xD8\xFF"));
        QVERIFY(Head(path("photo.JPG"), 1 << 20) != before);
        QVERIFY(!view().document().modified());
        QCOMPARE(m_Window->paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
    }

    void aPastedImageGoesToSaveAs()
    {
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QApplication::clipboard()->setImage(red);
        m_Window->runCommand(ID_PASTE_NEW_IMAGE);
        m_Chosen << "pasted.ppm";
        m_Window->runCommand(ID_FILE_SAVE);
        QCOMPARE(m_Proposed, QStringList{"untitled"});
        QCOMPARE(Head(path("pasted.ppm"), 2), QByteArray("P6"));
        QVERIFY(!view().document().modified());
        QCOMPARE(QString::fromStdString(m_Window->currentFile()), QStringLiteral("pasted.ppm"));
        QVERIFY(m_Window->listing().FindRow("pasted.ppm") >= 0);
    }

    void saveAsRefusals()
    {
        m_Window->runCommand(ID_FLIP_BOTH);
        // An extension nothing writes: said, nothing written, still modified.
        m_Chosen << "x.xyz";
        m_Window->runCommand(ID_FILE_SAVE_AS);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QVERIFY(m_Boxes.Texts[0].contains(".xyz"));
        QVERIFY(!QFile::exists(path("x.xyz")));
        QVERIFY(view().document().modified());
        QCOMPARE(m_Proposed, QStringList{"photo"});

        // Upper case comes before the question, which names the file written.
        m_Window->settings().UpperCaseExtension = 1;
        QVERIFY(QFile::copy(path("a.bmp"), path("c.PPM")));
        m_Boxes.Texts.clear();
        m_Chosen << "c.ppm";
        m_Window->runCommand(ID_FILE_SAVE_AS);
        QCOMPARE(m_Boxes.Texts, QStringList{"File 'c.PPM' already exists. Overwrite it?"});
        QCOMPARE(Head(path("c.PPM"), 2), QByteArray("BM"));
        QVERIFY(!QFile::exists(path("c.ppm")));
    }

    void optionsDialogs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("jpg") << "o.jpg" << "JPEG Options";
        QTest::newRow("png") << "o.png" << "PNG Options";
        QTest::newRow("tif") << "o.tif" << "TIFF Options";
        QTest::newRow("tga") << "o.tga" << "TGA Options";
        QTest::newRow("ras") << "o.ras" << "RAS Options";
        QTest::newRow("pcx") << "o.pcx" << "PCX Options";
        QTest::newRow("bmp") << "o.bmp" << "BMP Options";
    }

    void optionsDialogs()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QString seen;
        m_Chosen << name;
        AnswerNextDialog(false, [&](QDialog& dialog) { seen = dialog.windowTitle(); });
        m_Window->runCommand(ID_FILE_SAVE_AS);
        QCOMPARE(seen, title);
        QVERIFY(!QFile::exists(path(name)));
        QVERIFY(m_Boxes.Texts.isEmpty());
    }

    void jpegOptionsAreRememberedOnOkOnly()
    {
        m_Chosen << "q.jpg" << "r.jpg";
        AnswerNextDialog(true, [](QDialog& dialog) {
            auto* quality = dialog.findChild<QSlider*>("quality");
            QVERIFY(quality);
            QCOMPARE(quality->maximum(), 100);
            QCOMPARE(quality->value(), 60);
            quality->setValue(85);
        });
        m_Window->runCommand(ID_FILE_SAVE_AS);
        QCOMPARE(m_Window->settings().JpegQuality, 85);
        QVERIFY(QFile::exists(path("q.jpg")));
        AnswerNextDialog(false, [](QDialog& dialog) { dialog.findChild<QSlider*>("quality")->setValue(10); });
        m_Window->runCommand(ID_FILE_SAVE_AS);
        QCOMPARE(m_Window->settings().JpegQuality, 85);
        QVERIFY(!QFile::exists(path("r.jpg")));
    }

    void saveChangesYesSavesThenGoesOn()
    {
        m_Window->runCommand(ID_VIEWER);
        QVERIFY(idle());
        m_Window->runCommand(ID_FLIP_BOTH);
        // Cancel stays, and so does Yes when the file dialog is cancelled.
        for (int answer : {int(MessageBox::kCancel), int(MessageBox::kYes)}) {
            m_Boxes.Answer = answer;
            m_Window->runCommand(ID_FIRST);
            QVERIFY(idle());
            QVERIFY(view().document().modified());
            QCOMPARE(QString::fromStdString(m_Window->currentFile()), QStringLiteral("photo.JPG"));
        }
        QCOMPARE(m_Proposed, QStringList{"photo"});
        m_Boxes.Answer = MessageBox::kYes;
        m_Chosen << "saved.ppm";
        m_Window->runCommand(ID_FIRST);
        QVERIFY(idle());
        QCOMPARE(Head(path("saved.ppm"), 2), QByteArray("P6"));
        QVERIFY(!view().document().modified());
        QCOMPARE(view().image().Width, 64);  // a.bmp is shown now
        QTRY_VERIFY(m_Window->listing().FindRow("saved.ppm") >= 0);
    }

    void convertTheSelectedFiles()
    {
        QVERIFY(QFile::copy(SamplePath("png-rgba-gradient.png"), path("b.png")));
        m_Window->runCommand(ID_REFRESH);
        QVERIFY(idle());
        m_Window->runCommand(ID_SELECT_ALL);
        QVERIFY(m_Window->isCommandEnabled(ID_CONVERT));
        AnswerNextDialog(true, [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Convert"));
            auto* format = dialog.findChild<QComboBox*>("format");
            QCOMPARE(format->count(), 12);
            QCOMPARE(format->itemText(3), QStringLiteral("Portable Pixmap (PPM)"));
            format->setCurrentIndex(3);
        });
        m_Window->runCommand(ID_CONVERT);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(m_Window->settings().ConvertFormat, 3);
        for (const char* name : {"a.ppm", "b.ppm", "photo.ppm"})
            QVERIFY2(m_Window->listing().FindRow(name) >= 0, name);
        QVERIFY(QFile::exists(path("a.bmp")));
    }
};

OCULANE_APP_TEST(SaveTest)
#include "SaveTest.moc"
