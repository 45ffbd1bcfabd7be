// The Image menu on the shown image: the runner's texts, undo, failures that
// change nothing, the dialogs by command id, and the question before an
// edited image is replaced.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/OperationRunner.h"
#include "base/TextException.h"
#include "view/Preview.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <new>
#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

// Pixels, size and alpha flag.
QByteArray Snapshot(const CWinBmp& image)
{
    QByteArray bytes;
    bytes.append(QByteArray::number(image.Width) + "x" + QByteArray::number(image.Height) +
                 (image.HasAlpha ? "a" : "") + ":");
    for (int y = 0; y < image.Height; ++y)
        bytes.append(reinterpret_cast<const char*>(image.Row32(y)), image.Width * 4);
    return bytes;
}

// Presses OK (or Cancel) in the dialog the command is about to open.
void AnswerNextDialog(bool ok)
{
    QTimer::singleShot(0, [ok] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
}

} // namespace

class ImageCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;

    CPreview& view() { return *m_Window->preview(); }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), m_Dir->filePath("a.bmp")));  // 64 x 48
        QVERIFY(QFile::copy(SamplePath("png-rgba-gradient.png"), m_Dir->filePath("b.png")));
        m_Boxes.Start();
        m_Window = std::make_unique<CMainWindow>();
        m_Window->setSaveOnClose(false);
        m_Window->resize(900, 600);
        m_Window->show();
        QVERIFY(m_Window->startUp(m_Dir->filePath("a.bmp").toStdString()));
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        QVERIFY(view().hasImage());
    }

    void cleanup()
    {
        m_Window.reset();
        m_Boxes.Stop();
        m_Dir.reset();
    }

    void undoFollowsTheOperations()
    {
        const QByteArray loaded = Snapshot(view().image());
        QVERIFY(!m_Window->isCommandEnabled(ID_UNDO));
        m_Window->runCommand(ID_FLIP_HORIZONTAL);
        QCOMPARE(m_Window->paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
        const QByteArray flipped = Snapshot(view().image());
        QVERIFY(flipped != loaded);
        QVERIFY(view().document().modified());
        QCOMPARE(view().image().SourceBitsPerPixel, 24);  // flips keep the file's depth

        m_Window->runCommand(ID_ROTATE_CW);
        QCOMPARE(view().image().Width, 48);
        QCOMPARE(view().image().Height, 64);
        QCOMPARE(view().image().SourceBitsPerPixel, 24);
        QVERIFY(m_Window->isCommandEnabled(ID_UNDO));

        // One level: back to the state after the first operation, size included.
        m_Window->runCommand(ID_UNDO);
        QCOMPARE(Snapshot(view().image()), flipped);
        QVERIFY(!m_Window->isCommandEnabled(ID_UNDO));
        QVERIFY(m_Boxes.Texts.isEmpty());
    }

    void aFailureShowsTheCommandsTextAndChangesNothing()
    {
        m_Window->runCommand(ID_FLIP_VERTICAL);
        const QByteArray before = Snapshot(view().image());
        const QByteArray undo = Snapshot(view().document().undoCopy());
        CSettings settings;
        QString state;
        COperationRunner runner(m_Window.get(), view(), settings, [&](const QString& text) { state = text; });
        QVERIFY(!runner.run(ID_RESIZE, [](CEditBmp&) -> bool { throw CTextException(ErrNoMemory, "Out of memory."); }));
        QCOMPARE(m_Boxes.Texts, QStringList{"Error resizing image"});
        QCOMPARE(state, QStringLiteral("  Done"));
        QCOMPARE(Snapshot(view().image()), before);
        QCOMPARE(Snapshot(view().document().undoCopy()), undo);
        QVERIFY(view().document().undoAvailable());

        // A filter has no error text: its failure shows the operation's own and no "Done".
        QVERIFY(!runner.run(ID_FILTER_BLUR, [](CEditBmp&) -> bool { throw std::bad_alloc(); }));
        QCOMPARE(m_Boxes.Texts.last(), QStringLiteral("Out of memory."));
        QCOMPARE(state, QString());
        QCOMPARE(Snapshot(view().image()), before);
    }

    void dialogsRunAfterOkOnly()
    {
        m_Window->settings().RotateAngle = 90;
        m_Window->settings().RotateDirection = 0;
        AnswerNextDialog(false);
        m_Window->runCommand(ID_ROTATE_ARBITRARY);
        QCOMPARE(view().image().Width, 64);
        QVERIFY(!view().document().modified());

        for (int id : {ID_ROTATE_ARBITRARY, ID_SHEAR, ID_RESIZE, ID_CANVAS_SIZE, ID_BORDERS_CROP}) {
            AnswerNextDialog(true);
            m_Window->runCommand(id);
            QVERIFY2(m_Boxes.Texts.isEmpty(), qPrintable(m_Boxes.Texts.join('|')));
            QCOMPARE(m_Window->paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
        }
        // Rotated by 90 and sheared; the size dialogs kept the size they opened with.
        QCOMPARE(view().image().Height, 64);
        QVERIFY(view().image().Width > 48);
        QVERIFY(view().document().undoAvailable());
    }

    void imageCommandsWaitForALoad()
    {
        m_Window->runCommand(ID_VIEWER);
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        m_Window->runCommand(ID_NEXT);
        if (view().isLoading()) {
            for (int id : {ID_FLIP_BOTH, ID_RESIZE, ID_UNDO})
                QVERIFY(!m_Window->isCommandEnabled(id));
        }
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        QVERIFY(m_Window->isCommandEnabled(ID_FLIP_BOTH));
    }

    void anEditedImageIsReplacedOnlyAfterNo()
    {
        m_Window->runCommand(ID_VIEWER);
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        m_Window->runCommand(ID_TRANSPOSE);
        const QByteArray edited = Snapshot(view().image());
        // Cancel keeps it where it is (Yes saves first: the saving tests).
        m_Boxes.Answer = MessageBox::kCancel;
        m_Window->runCommand(ID_NEXT);
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        QCOMPARE(Snapshot(view().image()), edited);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QCOMPARE(m_Boxes.Texts[0], QStringLiteral("Do you want to save your changes?"));
        m_Boxes.Answer = MessageBox::kNo;
        m_Window->runCommand(ID_NEXT);
        QVERIFY(QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000));
        QVERIFY(!view().document().modified());
        QVERIFY(Snapshot(view().image()) != edited);
    }
};

OCULANE_APP_TEST(ImageCommandsTest)
#include "ImageCommandsTest.moc"
