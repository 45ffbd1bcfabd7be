// The Colors menu's Count and Histogram on the shown image: the message, the
// texts, nothing changed or offered for Undo, and the dialog's bars.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/HistogramDialog.h"
#include "app/HistogramView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "view/Preview.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
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

// Rows of the drawn bar of a level: its column is level + 1.
int DrawnHeight(const QImage& picture, int level, QRgb background)
{
    int rows = 0;
    for (int y = 0; y < picture.height(); ++y)
        rows += picture.pixel(level + 1, y) != background ? 1 : 0;
    return rows;
}

} // namespace

class HistogramTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;

    CPreview& view() { return *m_Window->preview(); }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), m_Dir->filePath("a.bmp")));  // 3031 colours
        m_Boxes.Start();
        m_Window = std::make_unique<CMainWindow>();
        m_Window->setSaveOnClose(false);
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

    void countShowsTheNumberAndChangesNothing()
    {
        m_Window->runCommand(ID_COUNT_COLORS);
        QCOMPARE(m_Boxes.Texts, QStringList{"This image contains 3031 colors.   "});
        QCOMPARE(m_Window->paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
        QVERIFY(!view().document().modified());
        QVERIFY(!m_Window->isCommandEnabled(ID_UNDO));
    }

    void histogramOpensAfterDoneWithLuminocityFirst()
    {
        QString stateWhenOpen;
        QStringList items;
        QTimer::singleShot(0, [&] {
            auto* dialog = dynamic_cast<CHistogramDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            stateWhenOpen = m_Window->paneText(CMainWindow::kStatePane);
            for (int i = 0; i < dialog->channelList()->count(); ++i)
                items << dialog->channelList()->itemText(i);
            QCOMPARE(dialog->channelList()->currentIndex(), 0);
            dialog->accept();
        });
        m_Window->runCommand(ID_HISTOGRAM);
        QCOMPARE(stateWhenOpen, QStringLiteral("  Done"));
        QCOMPARE(items, (QStringList{"Luminocity", "Red", "Green", "Blue"}));
        QVERIFY(m_Boxes.Texts.isEmpty());
        QVERIFY(!view().document().modified());
    }

    void barsAreScaledToTheLargestCount()
    {
        LevelHistogram histogram;
        histogram.Levels[LevelHistogram::kRed][0] = 4;
        histogram.Levels[LevelHistogram::kRed][10] = 2;
        histogram.Levels[LevelHistogram::kRed][20] = 1;
        CHistogramDialog dialog(histogram);
        dialog.channelList()->setCurrentIndex(LevelHistogram::kRed);
        const QImage picture = dialog.view()->grab().toImage();
        const QRgb background = picture.pixel(0, 0);
        // From row 101 up to, not including, 100 - h: h + 1 rows, a level of
        // count 0 one row.
        QCOMPARE(DrawnHeight(picture, 0, background), 101);
        QCOMPARE(DrawnHeight(picture, 10, background), 51);
        QCOMPARE(DrawnHeight(picture, 20, background), 26);
        QCOMPARE(DrawnHeight(picture, 30, background), 1);

        dialog.channelList()->setCurrentIndex(LevelHistogram::kGreen);  // all zero: no bars
        const QImage empty = dialog.view()->grab().toImage();
        QCOMPARE(DrawnHeight(empty, 0, background), 0);
    }
};

OCULANE_APP_TEST(HistogramTest)
#include "HistogramTest.moc"
