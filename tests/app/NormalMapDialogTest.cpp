// The Filter menu in the window (each filter undoable, a failure a message
// that changes nothing) and the "NormalMap Filter" dialog's fields.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/NormalMapDialog.h"
#include "app/PreviewBox.h"
#include "image/WinBmp.h"
#include "settings/Settings.h"
#include "view/Preview.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <memory>

namespace {

std::unique_ptr<CWinBmp> Image(int width, int height)
{
    auto image = std::make_unique<CWinBmp>();
    image->Create(width, height, 32, true);
    uint32_t seed = 99;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            image->Row32(y)[x] = seed >> 1;
        }
    image->SourceBitsPerPixel = 8;
    return image;
}

QByteArray Bytes(const CWinBmp& image)
{
    QByteArray bytes = QByteArray::number(image.Width) + "x" + QByteArray::number(image.Height) + ":";
    for (int y = 0; y < image.Height; ++y)
        bytes.append(reinterpret_cast<const char*>(image.Row32(y)), image.Width * 4);
    return bytes;
}

class ScopedCap {
public:
    explicit ScopedCap(const char* bytes) : m_Saved(qgetenv("OCULANE_MAX_IMAGE_BYTES"))
    {
        qputenv("OCULANE_MAX_IMAGE_BYTES", bytes);
    }
    ~ScopedCap()
    {
        if (m_Saved.isEmpty())
            qunsetenv("OCULANE_MAX_IMAGE_BYTES");
        else
            qputenv("OCULANE_MAX_IMAGE_BYTES", m_Saved);
    }

private:
    QByteArray m_Saved;
};

} // namespace

class NormalMapDialogTest : public QObject {
    Q_OBJECT
    MessageRecorder m_Boxes;

    static QRadioButton* Method(QWidget& dialog, int i)
    {
        return dialog.findChild<QRadioButton*>(QStringLiteral("methodRadio%1").arg(i));
    }
    static QLineEdit* Scale(QWidget& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("scaleEdit")); }
    static void Click(QWidget& dialog, const char* name)
    {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_Boxes.Start();
    }
    void cleanup() { m_Boxes.Stop(); }

    void opensWithTheRememberedValues()
    {
        const auto image = Image(8, 6);
        CSettings settings;
        auto fresh = COperationDialog::Create<CNormalMapDialog>(*image, settings);
        QCOMPARE(fresh->windowTitle(), QStringLiteral("NormalMap Filter"));
        QVERIFY(Method(*fresh, 1)->isChecked());
        QCOMPARE(Method(*fresh, 1)->text(), QStringLiteral("Average"));
        QCOMPARE(Method(*fresh, 6)->text(), QStringLiteral("Max (R,G,B)"));
        QCOMPARE(Scale(*fresh)->text(), QStringLiteral("1"));
        settings.NormalMapMethod = 8;
        settings.NormalMapScale = -2.5f;
        auto remembered = COperationDialog::Create<CNormalMapDialog>(*image, settings);
        QVERIFY(Method(*remembered, 8)->isChecked());
        QCOMPARE(Scale(*remembered)->text(), QStringLiteral("-2.5"));
    }

    void refusesScalesThatAreNotFiniteOrTooLarge_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("Please enter a number between -1000000 and 1000000.");
        const QString number = QStringLiteral("Please enter a number.");
        QTest::newRow("inf") << "inf" << number;
        QTest::newRow("nan") << "nan" << number;
        QTest::newRow("1e400") << "1e400" << number;
        QTest::newRow("empty") << "" << number;
        QTest::newRow("1e7") << "1e7" << range;
        QTest::newRow("-1000000.5") << "-1000000.5" << range;
        QTest::newRow("1000000") << "1000000" << QString();
        QTest::newRow("-0.25") << "-0.25" << QString();
    }
    void refusesScalesThatAreNotFiniteOrTooLarge()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const auto image = Image(8, 6);
        for (const char* button : {"previewButton", "okButton"}) {
            CSettings settings;
            auto dialog = COperationDialog::Create<CNormalMapDialog>(*image, settings);
            dialog->show();
            Scale(*dialog)->setText(typed);
            m_Boxes.Texts.clear();
            Click(*dialog, button);
            if (message.isEmpty()) {
                QVERIFY(m_Boxes.Texts.isEmpty());
                continue;
            }
            QCOMPARE(m_Boxes.Texts, QStringList{message});
            QVERIFY(dialog->isVisible());
            QCOMPARE(settings.NormalMapScale, 1.0f);
            QVERIFY(dialog->findChild<CPreviewBox*>()->isEmpty());
        }
    }

    void okStoresTheValuesAndPreviewShowsTheOperation()
    {
        const auto image = Image(9, 7);
        CSettings settings;
        auto dialog = COperationDialog::Create<CNormalMapDialog>(*image, settings);
        dialog->show();
        Method(*dialog, 3)->setChecked(true);
        Scale(*dialog)->setText(QStringLiteral("4.5"));
        Click(*dialog, "previewButton");
        Click(*dialog, "previewButton");
        CEditBmp expected;
        expected.reset(Image(9, 7), std::string(), false);
        expected.normalMap(3, 4.5);
        QCOMPARE(Bytes(dialog->previewCopy()->image()), Bytes(expected.image()));
        Click(*dialog, "okButton");
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(settings.NormalMapMethod, 3);
        QCOMPARE(settings.NormalMapScale, 4.5f);
    }
};

OCULANE_APP_TEST(NormalMapDialogTest)

// The filters as menu commands on the shown image.
class FilterCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;

    CPreview& view() { return *m_Window->preview(); }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        const char* root = std::getenv("OCULANE_SOURCE_DIR");
        QVERIFY(QFile::copy(QString::fromLocal8Bit(root ? root : ".") + "/samples/bmp-24bit.bmp",
                            m_Dir->filePath("a.bmp")));
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

    void everyFilterRunsAndUndoes()
    {
        const int ids[] = {ID_FILTER_BLUR,      ID_FILTER_SOFTEN,  ID_FILTER_GAUSSIAN_3X3, ID_FILTER_GAUSSIAN_5X5,
                           ID_FILTER_SHARPEN,   ID_FILTER_DILATE,  ID_FILTER_ERODE,        ID_FILTER_FIND_EDGE,
                           ID_FILTER_CONTOUR,   ID_FILTER_ADD_NOISE, ID_FILTER_MEDIAN,     ID_FILTER_EMBOSS,
                           ID_FILTER_JITTER,    ID_FILTER_NORMAL_MAP};
        const QByteArray loaded = Bytes(view().image());
        const int depth = view().image().SourceBitsPerPixel;
        for (int id : ids) {
            QVERIFY(m_Window->isCommandEnabled(id));
            if (id == ID_FILTER_NORMAL_MAP) {
                QTimer::singleShot(0, [] {
                    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog);
                    dialog->accept();
                });
            }
            m_Window->runCommand(id);
            QVERIFY2(m_Boxes.Texts.isEmpty(), qPrintable(m_Boxes.Texts.join('|')));
            QCOMPARE(m_Window->paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
            QVERIFY2(Bytes(view().image()) != loaded, qPrintable(QString::number(id)));
            QCOMPARE(view().image().SourceBitsPerPixel, depth);
            m_Window->runCommand(ID_UNDO);
            QCOMPARE(Bytes(view().image()), loaded);
        }
    }

    void outOfMemoryIsAMessageAndChangesNothing()
    {
        const QByteArray loaded = Bytes(view().image());
        {
            ScopedCap cap("4096");
            m_Window->runCommand(ID_FILTER_MEDIAN);
        }
        QCOMPARE(m_Boxes.Texts, QStringList{"Out of memory."});
        QCOMPARE(Bytes(view().image()), loaded);
        QVERIFY(!view().document().undoAvailable());
        QVERIFY(!view().document().modified());
    }
};

OCULANE_APP_TEST(FilterCommandsTest)

#include "NormalMapDialogTest.moc"
