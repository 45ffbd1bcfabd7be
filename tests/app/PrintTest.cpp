// Printing: pages into PDF files through the printer dialog's place, the
// placement of images on a page drawn into an image by the same painter,
// Preview against Print, the Print Setup dialog and its refusals.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PrintCommands.h"
#include "image/WinBmp.h"
#include "settings/Settings.h"
#include "view/Preview.h"
#include "view/PrintPainter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Pages of a PDF: its page objects ("/Type /Page", not "/Type /Pages").
int PdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    int pages = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1))
        if (bytes.mid(at + 11, 1) != "s")
            ++pages;
    return pages;
}

bool WriteImage(const QString& path, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

// The rectangle of what is not white on the page.
QRect Inked(const QImage& page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if ((page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A page of 8.5 x 11 inches at 100 pixels to the inch, so a pixel is a print unit.
QImage LetterPage()
{
    QImage page(850, 1100, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    return page;
}

// Runs check on the dialog the next command opens, then presses OK (or Cancel).
void AnswerNextDialog(bool ok, std::function<void(QDialog&)> check = {})
{
    QTimer::singleShot(0, [ok, check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (check)
            check(*dialog);
        if (ok)
            QMetaObject::invokeMethod(dialog, "accept");
        else
            dialog->reject();
    });
}

template <class T>
T* Field(QDialog& dialog, const char* name)
{
    T* field = dialog.findChild<T*>(QLatin1String(name));
    if (!field)
        qWarning("no field %s", name);
    return field;
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::unique_ptr<CMainWindow> m_Window;
    MessageRecorder m_Boxes;
    QString m_Pdf;        // where the print dialog sends the pages; empty: Cancel
    int m_DialogPages = 0;

    QString path(const QString& name) const { return m_Dir->filePath(name); }
    bool idle() { return QTest::qWaitFor([&] { return m_Window->isIdle(); }, 10000); }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteImage(path("a.png"), 300, 200, Qt::red));
        QVERIFY(WriteImage(path("b.png"), 200, 300, Qt::blue));
        QVERIFY(WriteImage(path("c.bmp"), 3000, 2000, Qt::green));
        m_Pdf.clear();
        m_Boxes.Start();
        CPrintCommands::SetPrintDialog([this](QWidget*, QPrinter& printer, int pages) {
            m_DialogPages = pages;
            if (m_Pdf.isEmpty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_Pdf);
            return true;
        });
        m_Window = std::make_unique<CMainWindow>();
        m_Window->setSaveOnClose(false);
        m_Window->resize(900, 600);
        m_Window->show();
        QVERIFY(m_Window->startUp(path("a.png").toStdString()));
        m_Window->settings().ShowPrintSetup = 0;
        QVERIFY(idle());
        QVERIFY(m_Window->preview()->hasImage());
    }

    void cleanup()
    {
        m_Window.reset();
        CPrintCommands::SetPrintDialog({});
        CPrintCommands::SetPreviewDialog({});
        m_Boxes.Stop();
        m_Dir.reset();
    }

    void commandsAreEnabledByWhatThereIsToPrint()
    {
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT_SETUP));
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT));
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT_PREVIEW));
        QVERIFY(!m_Window->isCommandEnabled(ID_PRINT_ALL));  // one file selected
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT_THUMBNAILS));
        m_Window->runCommand(ID_UNSELECT_ALL);
        QVERIFY(!m_Window->isCommandEnabled(ID_PRINT_THUMBNAILS));  // "Selected images only"
        m_Window->settings().PrintThumbnailSource = 0;
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT_THUMBNAILS));
        m_Window->runCommand(ID_SELECT_ALL);
        QVERIFY(m_Window->isCommandEnabled(ID_PRINT_ALL));
    }

    void printsPagesIntoTheChosenFile()
    {
        m_Window->runCommand(ID_SELECT_ALL);
        m_Pdf = path("all.pdf");
        m_Window->runCommand(ID_PRINT_ALL);
        QCOMPARE(PdfPages(m_Pdf), 3);
        QCOMPARE(m_DialogPages, 3);
        // c.bmp at 100 pixels to the inch is 30 inches wide: said once, after the job.
        QCOMPARE(m_Boxes.Texts, QStringList{CPrintCommands::kTextTooLarge});

        m_Boxes.Texts.clear();
        m_Pdf = path("index.pdf");
        m_Window->runCommand(ID_PRINT_THUMBNAILS);
        QCOMPARE(PdfPages(m_Pdf), 1);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(m_Window->settings().PrintSize, int(kPrintSizeThumbnails));

        // Print sets the size back from Thumbnails and prints the shown image.
        m_Pdf = path("one.pdf");
        m_Window->runCommand(ID_PRINT);
        QCOMPARE(PdfPages(m_Pdf), 1);
        QCOMPARE(m_Window->settings().PrintSize, int(kPrintSizeDefault));

        // Cancel in the printer dialog prints nothing.
        m_Pdf.clear();
        m_Window->runCommand(ID_PRINT);
        QVERIFY(m_Boxes.Texts.isEmpty());
    }

    void previewShowsThePagesThePrintHas()
    {
        m_Window->runCommand(ID_SELECT_ALL);
        m_Window->settings().PrintThumbnailWidth = 300;
        m_Window->settings().PrintThumbnailHeight = 300;
        for (int id : {ID_PRINT_ALL, ID_PRINT_THUMBNAILS, ID_PRINT}) {
            m_Pdf = path(QStringLiteral("printed-%1.pdf").arg(id));
            m_Window->runCommand(id);
            const QString previewed = path(QStringLiteral("previewed-%1.pdf").arg(id));
            CPrintCommands::SetPreviewDialog([&](QWidget*, QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(previewed);
                paint(&printer);
            });
            m_Window->runCommand(ID_PRINT_PREVIEW);
            QCOMPARE(PdfPages(previewed), PdfPages(m_Pdf));
        }
        QCOMPARE(PdfPages(path(QStringLiteral("printed-%1.pdf").arg(ID_PRINT_ALL))), 3);
        QCOMPARE(PdfPages(path(QStringLiteral("printed-%1.pdf").arg(ID_PRINT))), 1);
    }

    void theRealPreviewWindowOpens()
    {
        m_Window->runCommand(ID_SELECT_ALL);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            shown = dialog && dialog->inherits("QPrintPreviewDialog");
            if (dialog)
                dialog->close();
        });
        m_Window->runCommand(ID_PRINT_PREVIEW);
        QVERIFY(shown);
    }

    void anUnwritableFileIsAFailure()
    {
        m_Pdf = path("no-such-folder/out.pdf");
        m_Window->runCommand(ID_PRINT);
        QCOMPARE(m_Boxes.Texts, QStringList{CPrintCommands::kTextCannotPrint});
    }

    void filesThatDoNotDecodeAreReportedOnceAfterTheJob()
    {
        QFile broken(path("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();
        m_Window->runCommand(ID_REFRESH);
        QVERIFY(idle());
        m_Window->runCommand(ID_SELECT_ALL);
        m_Pdf = path("index.pdf");
        m_Window->runCommand(ID_PRINT_THUMBNAILS);
        QCOMPARE(PdfPages(m_Pdf), 1);
        QCOMPARE(m_Boxes.Texts, QStringList{QStringLiteral("Error loading ") + path("broken.png")});
    }

    // The placement seen on a page drawn into an image by the same painter.
    void imagesArePlacedOnThePage()
    {
        CWinBmp image;
        image.Create(3000, 2000, 32, false);
        for (int y = 0; y < image.Height; ++y)
            std::fill(image.Row32(y), image.Row32(y) + image.Width, 0xFF000000u);
        struct Case {
            int Size;
            int Horizontal, Vertical;
            QRect Expected;
        } cases[] = {
            {kPrintSizeFit, 1, 1, QRect(0, 267, 850, 566)},      // aspect kept, centred
            {kPrintSizeCustom, 0, 2, QRect(0, 1000, 300, 100)},  // 3 x 1 inches, bottom left
            {kPrintSizeCustom, 2, 0, QRect(550, 0, 300, 100)},
        };
        for (const Case& c : cases) {
            PrintJob job;
            job.Setup.CaptionName = job.Setup.CaptionDimensions = false;
            job.Setup.Size = c.Size;
            job.Setup.CustomWidth = 300;
            job.Setup.CustomHeight = 100;
            job.Setup.HorizontalPosition = c.Horizontal;
            job.Setup.VerticalPosition = c.Vertical;
            job.Files = {PrintFile{}};
            job.Shown = &image;
            CPrintPainter painter(std::move(job));
            QImage page = LetterPage();
            painter.prepare(page);
            QCOMPARE(painter.pageCount(), 1);
            QPainter p(&page);
            painter.paintPage(p, 0);
            p.end();
            QCOMPARE(Inked(page), c.Expected);
        }
    }

    // A modified image prints as shown, not as its file is on disk.
    void theShownImageIsPrintedWithItsChanges()
    {
        // Red above green, drawn at its own size straight from its rows.
        CWinBmp shown;
        shown.Create(300, 200, 32, false);
        for (int y = 0; y < shown.Height; ++y)
            std::fill(shown.Row32(y), shown.Row32(y) + shown.Width, y < 100 ? 0xFFFF0000u : 0xFF00FF00u);
        PrintJob job;
        job.Setup.CaptionName = job.Setup.CaptionDimensions = false;
        job.Files = {PrintFile{path("a.png").toStdString(), 0}, PrintFile{path("b.png").toStdString(), 0}};
        job.Shown = &shown;
        job.ShownPath = path("a.png").toStdString();
        CPrintPainter painter(std::move(job));
        QImage page = LetterPage();
        painter.prepare(page);
        QCOMPARE(painter.pageCount(), 2);
        QPainter p(&page);
        painter.paintPage(p, 0);
        QCOMPARE(page.pixel(425, 451) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(page.pixel(425, 648) & 0xFFFFFF, 0x00FF00u);
        QCOMPARE(Inked(page), QRect(275, 450, 300, 200));
        painter.paintPage(p, 1);  // b.png from its file
        QCOMPARE(page.pixel(425, 550) & 0xFFFFFF, 0x0000FFu);
        QCOMPARE(Inked(page), QRect(275, 400, 300, 300));
    }

    void thumbnailPagesDrawEachPictureInItsCell()
    {
        PrintJob job;
        job.Setup.Size = kPrintSizeThumbnails;
        job.Setup.CaptionName = job.Setup.CaptionDimensions = false;
        job.Setup.HorizontalPosition = job.Setup.VerticalPosition = 0;
        for (const char* name : {"a.png", "b.png", "c.bmp"})
            job.Files.push_back({path(name).toStdString(), 0});
        CPrintPainter painter(std::move(job));
        QImage page = LetterPage();
        painter.prepare(page);
        QCOMPARE(painter.layout().Columns(), 7);
        QCOMPARE(painter.layout().Rows(), 10);
        QPainter p(&page);
        painter.paintPage(p, 0);
        p.end();
        // Cells of 110 units from the top left; 100 x 100 boxes 5 in.
        QCOMPARE(Inked(page.copy(0, 0, 110, 110)), QRect(5, 22, 100, 66));    // 300x200 red
        QCOMPARE(Inked(page.copy(110, 0, 110, 110)), QRect(22, 5, 66, 100));  // 200x300 blue
        QCOMPARE(page.pixel(270, 55) & 0xFFFFFF, 0x00FF00u);                  // c.bmp, green
        QVERIFY(Inked(page.copy(330, 0, 520, 1100)).isEmpty());
        QVERIFY(painter.errors().isEmpty());
    }

    void setupDialogRoundTrip()
    {
        CSettings& s = m_Window->settings();
        s.ImageSizeUnit = 1;  // inches
        s.PrintMarginLeft = -5;  // out of its limits: shown as the default
        AnswerNextDialog(true, [](QDialog& d) {
            QCOMPARE(Field<QLineEdit>(d, "marginLeftEdit")->text(), QStringLiteral("0"));
            QVERIFY(Field<QRadioButton>(d, "defaultRadio")->isChecked());
            QVERIFY(!Field<QLineEdit>(d, "widthEdit")->isEnabled());
            QVERIFY(!Field<QComboBox>(d, "sourceCombo")->isEnabled());
            Field<QLineEdit>(d, "marginLeftEdit")->setText("1");
            Field<QLineEdit>(d, "marginTopEdit")->setText("0.5");
            Field<QRadioButton>(d, "rightRadio")->setChecked(true);
            Field<QRadioButton>(d, "bottomRadio")->setChecked(true);
            Field<QCheckBox>(d, "pathCheck")->setChecked(true);
            Field<QComboBox>(d, "alignmentCombo")->setCurrentIndex(2);
            Field<QComboBox>(d, "positionCombo")->setCurrentIndex(1);
            // Custom starts from the shown image: 300 x 200 pixels are 3 x 2 inches.
            Field<QRadioButton>(d, "customRadio")->setChecked(true);
            QCOMPARE(Field<QLineEdit>(d, "widthEdit")->text(), QStringLiteral("3"));
            QCOMPARE(Field<QLineEdit>(d, "heightEdit")->text(), QStringLiteral("2"));
            QVERIFY(Field<QLineEdit>(d, "widthEdit")->isEnabled());
            // Proportions kept while typing.
            QTest::keyClicks(Field<QLineEdit>(d, "widthEdit"), "0");
            QCOMPARE(Field<QLineEdit>(d, "heightEdit")->text(), QStringLiteral("20"));
            Field<QLineEdit>(d, "widthEdit")->setText("4.5");
            Field<QLineEdit>(d, "heightEdit")->setText("3");
            // Thumbnails shows its own size and the source; path and size captions are off-limits.
            Field<QRadioButton>(d, "thumbnailsRadio")->setChecked(true);
            QCOMPARE(Field<QLineEdit>(d, "widthEdit")->text(), QStringLiteral("1"));
            QVERIFY(Field<QComboBox>(d, "sourceCombo")->isEnabled());
            QVERIFY(!Field<QCheckBox>(d, "pathCheck")->isEnabled());
            Field<QLineEdit>(d, "heightEdit")->setText("1.25");
            Field<QComboBox>(d, "sourceCombo")->setCurrentIndex(0);
        });
        m_Window->runCommand(ID_PRINT_SETUP);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(s.PrintMarginLeft, 100);
        QCOMPARE(s.PrintMarginTop, 50);
        QCOMPARE(s.PrintHorizontalPosition, 2);
        QCOMPARE(s.PrintVerticalPosition, 2);
        QCOMPARE(s.PrintCaptionPath, 1);
        QCOMPARE(s.PrintCaptionAlignment, 2);
        QCOMPARE(s.PrintCaptionPosition, 1);
        QCOMPARE(s.PrintSize, int(kPrintSizeThumbnails));
        QCOMPARE(s.PrintThumbnailWidth, 100);
        QCOMPARE(s.PrintThumbnailHeight, 125);
        QCOMPARE(s.PrintThumbnailSource, 0);
        // Custom was not the final choice: the stored one stays.
        QCOMPARE(s.PrintCustomWidth, 0);

        // Opened again it shows what was stored.
        AnswerNextDialog(true, [](QDialog& d) {
            QCOMPARE(Field<QLineEdit>(d, "marginLeftEdit")->text(), QStringLiteral("1"));
            QCOMPARE(Field<QLineEdit>(d, "marginTopEdit")->text(), QStringLiteral("0.5000"));
            QCOMPARE(Field<QLineEdit>(d, "heightEdit")->text(), QStringLiteral("1.2500"));
            Field<QRadioButton>(d, "customRadio")->setChecked(true);
            Field<QLineEdit>(d, "widthEdit")->setText("4.5");
            Field<QLineEdit>(d, "heightEdit")->setText("3");
        });
        m_Window->runCommand(ID_PRINT_SETUP);
        QCOMPARE(s.PrintCustomWidth, 450);
        QCOMPARE(s.PrintCustomHeight, 300);
        QCOMPARE(s.PrintSize, int(kPrintSizeCustom));
    }

    void setupDialogRefusals_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("negative margin") << "defaultRadio" << "marginRightEdit" << "-1"
                                         << "Please enter a number between 0 and 100000.";
        QTest::newRow("not a number") << "defaultRadio" << "marginTopEdit" << "x" << "Please enter a number.";
        QTest::newRow("thumbnail width 0") << "thumbnailsRadio" << "widthEdit" << "0"
                                           << "Please enter a number between 1 and 100000.";
        QTest::newRow("custom 0 x 0") << "customRadio" << "widthEdit" << "0"
                                      << "Please enter a number between 1 and 100000.";
    }

    void setupDialogRefusals()
    {
        QFETCH(QString, choice);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const CSettings before = m_Window->settings();
        bool stayedOpen = false;
        AnswerNextDialog(false, [&](QDialog& d) {
            Field<QRadioButton>(d, choice.toLatin1().constData())->setChecked(true);
            if (choice == "customRadio")
                Field<QLineEdit>(d, "heightEdit")->setText("0");
            Field<QLineEdit>(d, field.toLatin1().constData())->setText(value);
            d.accept();
            stayedOpen = d.isVisible();
        });
        m_Window->runCommand(ID_PRINT_SETUP);
        QVERIFY(stayedOpen);
        QCOMPARE(m_Boxes.Texts, QStringList{message});
        QCOMPARE(m_Window->settings().PrintMarginRight, before.PrintMarginRight);
        QCOMPARE(m_Window->settings().PrintThumbnailWidth, before.PrintThumbnailWidth);
        QCOMPARE(m_Window->settings().PrintSize, before.PrintSize);
    }

    void setupBeforePrintingCanCancel()
    {
        m_Window->settings().ShowPrintSetup = 1;
        m_Pdf = path("never.pdf");
        AnswerNextDialog(false);
        m_Window->runCommand(ID_PRINT);
        QVERIFY(!QFile::exists(m_Pdf));
        AnswerNextDialog(true);
        m_Window->runCommand(ID_PRINT);
        QCOMPARE(PdfPages(m_Pdf), 1);
    }

    // oculane --print: the same job and painter, without a window.
    void printsFilesAndFoldersIntoAPdf()
    {
        QString error, warning;
        QVERIFY(CPrintCommands::printToPdf(path("index.pdf"), {m_Dir->path().toStdString()}, true, error, warning));
        QCOMPARE(PdfPages(path("index.pdf")), 1);
        QVERIFY(CPrintCommands::printToPdf(path("two.pdf"), {path("a.png").toStdString(), path("b.png").toStdString()},
                                           false, error, warning));
        QCOMPARE(PdfPages(path("two.pdf")), 2);
        QVERIFY(warning.isEmpty());

        QVERIFY(!CPrintCommands::printToPdf(path("x.pdf"), {path("none.png").toStdString()}, false, error, warning));
        QCOMPARE(error, QStringLiteral("no such file or folder: ") + path("none.png"));
        QVERIFY(!CPrintCommands::printToPdf(path("missing/x.pdf"), {path("a.png").toStdString()}, false, error,
                                            warning));
        QCOMPARE(error, QStringLiteral("cannot write ") + path("missing/x.pdf"));
    }
};

OCULANE_APP_TEST(PrintTest)
#include "PrintTest.moc"
