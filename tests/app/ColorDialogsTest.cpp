// The Colors menu: its dialogs driven through their widgets, and its commands
// on the shown image by command id.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/BalanceDialog.h"
#include "app/CommandTable.h"
#include "app/GammaDialog.h"
#include "app/IntensityDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PreviewBox.h"
#include "app/ThresholdDialog.h"
#include "image/WinBmp.h"
#include "settings/Settings.h"
#include "view/Preview.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

enum Kind { kGamma, kBrightness, kContrast, kBalance, kThreshold, kIntensity, kSolarize };

std::unique_ptr<COperationDialog> Make(int kind, const CWinBmp& image, CSettings& settings)
{
    switch (kind) {
    case kGamma: return COperationDialog::Create<CGammaDialog>(image, settings);
    case kBrightness: return COperationDialog::Create<CBrightnessDialog>(image, settings);
    case kContrast: return COperationDialog::Create<CContrastDialog>(image, settings);
    case kBalance: return COperationDialog::Create<CBalanceDialog>(image, settings);
    case kThreshold: return COperationDialog::Create<CThresholdDialog>(image, settings);
    case kIntensity: return COperationDialog::Create<CIntensityDialog>(image, settings);
    default: return COperationDialog::Create<CSolarizeDlg>(image, settings);
    }
}

// width × height pixels, colour i × step (so distinct up to 2^24 / step).
std::unique_ptr<CWinBmp> Image(int width, int height, uint32_t step)
{
    auto image = std::make_unique<CWinBmp>();
    image->Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->Row32(y)[x] = (uint32_t(y * width + x) * step) & 0xFFFFFF;
    return image;
}

QString FieldValue(QWidget& dialog, const QString& name)
{
    QWidget* w = dialog.findChild<QWidget*>(name);
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return QString::number(spin->value());
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    return QStringLiteral("?");
}

void SetField(QWidget& dialog, const QString& name, const QString& value)
{
    QWidget* w = dialog.findChild<QWidget*>(name);
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        spin->setValue(value.toInt());
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(value);
}

// "name=value;name=value"
QList<std::pair<QString, QString>> Pairs(const QString& list)
{
    QList<std::pair<QString, QString>> out;
    for (const QString& item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = item.indexOf(QLatin1Char('='));
        out.append({item.left(eq), item.mid(eq + 1)});
    }
    return out;
}

QString Remembered(const CSettings& s)
{
    return QStringLiteral("balance %1 %2 %3 threshold %4 intensity %5 %6 %7 solarize %8")
        .arg(s.ColorBalanceRed).arg(s.ColorBalanceGreen).arg(s.ColorBalanceBlue).arg(s.ThresholdLevel)
        .arg(s.IntensityIntensity).arg(s.IntensityOffset).arg(s.IntensityExponent).arg(s.SolarizeThreshold);
}

void Click(QWidget& dialog, const char* name)
{
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

void AnswerNextDialog(const QString& fields)
{
    QTimer::singleShot(0, [fields] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        for (const auto& [name, value] : Pairs(fields))
            SetField(*dialog, name, value);
        dialog->accept();
    });
}

QByteArray Pixels(const CWinBmp& image)
{
    QByteArray bytes;
    for (int y = 0; y < image.Height; ++y)
        bytes.append(reinterpret_cast<const char*>(image.Row32(y)), image.Width * 4);
    return bytes;
}

} // namespace

class ColorDialogsTest : public QObject {
    Q_OBJECT
    MessageRecorder m_Boxes;

private slots:
    void init()
    {
        m_Boxes.Start();
    }
    void cleanup() { m_Boxes.Stop(); }

    void opensWithItsValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fields");
        QTest::newRow("Gamma") << int(kGamma) << true << "Gamma Correction" << "valueEdit=0";
        QTest::newRow("Brightness") << int(kBrightness) << true << "Brightness" << "valueEdit=0";
        QTest::newRow("Contrast") << int(kContrast) << true << "Contrast" << "valueEdit=0";
        QTest::newRow("Balance") << int(kBalance) << false << "Color Balance" << "redEdit=0;greenEdit=0;blueEdit=0";
        QTest::newRow("Balance stored") << int(kBalance) << true << "Color Balance"
                                        << "redEdit=-5;greenEdit=6;blueEdit=100";
        QTest::newRow("Threshold") << int(kThreshold) << false << "Threshold" << "levelEdit=128";
        QTest::newRow("Threshold stored") << int(kThreshold) << true << "Threshold" << "levelEdit=3";
        QTest::newRow("Intensity") << int(kIntensity) << false << "Intensity"
                                   << "intensityEdit=20;offsetEdit=128;exponentEdit=1";
        QTest::newRow("Intensity stored") << int(kIntensity) << true << "Intensity"
                                          << "intensityEdit=7.5;offsetEdit=0;exponentEdit=0.01";
        QTest::newRow("Solarize") << int(kSolarize) << false << "Solarize" << "thresholdEdit=128";
        QTest::newRow("Solarize stored") << int(kSolarize) << true << "Solarize" << "thresholdEdit=255";
    }
    void opensWithItsValues()
    {
        QFETCH(int, kind);
        QFETCH(bool, stored);
        QFETCH(QString, title);
        QFETCH(QString, fields);
        CSettings settings;
        if (stored) {
            settings.ColorBalanceRed = -5, settings.ColorBalanceGreen = 6, settings.ColorBalanceBlue = 100;
            settings.ThresholdLevel = 3, settings.SolarizeThreshold = 255;
            settings.IntensityIntensity = 7.5, settings.IntensityOffset = 0, settings.IntensityExponent = 0.01;
        }
        const auto image = Image(20, 10, 997);
        auto dialog = Make(kind, *image, settings);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), title);
        for (const auto& [name, value] : Pairs(fields))
            QCOMPARE(name + "=" + FieldValue(*dialog, name), name + "=" + value);
        QVERIFY(dialog->findChild<CPreviewBox*>()->isEmpty());
    }

    void checksTheFields_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        const QString percent = QStringLiteral("Please enter an integer between -100 and 100.");
        const QString level = QStringLiteral("Please enter an integer between 0 and 255.");
        QTest::newRow("gamma 101") << int(kGamma) << "valueEdit" << "101" << percent;
        QTest::newRow("balance blue 101") << int(kBalance) << "blueEdit" << "101" << percent;
        QTest::newRow("threshold 256") << int(kThreshold) << "levelEdit" << "256" << level;
        QTest::newRow("solarize -1") << int(kSolarize) << "thresholdEdit" << "-1" << level;
        QTest::newRow("intensity 1000.5") << int(kIntensity) << "intensityEdit" << "1000.5"
                                          << "Please enter a number between 0 and 1000.";
        QTest::newRow("offset 256") << int(kIntensity) << "offsetEdit" << "256" << level;
        QTest::newRow("exponent 0") << int(kIntensity) << "exponentEdit" << "0"
                                    << "Please enter a number between 0.01 and 100.";
    }
    void checksTheFields()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const auto image = Image(20, 10, 997);
        CSettings settings;
        const QString before = Remembered(settings);
        for (const char* button : {"previewButton", "okButton"}) {
            auto dialog = Make(kind, *image, settings);
            dialog->show();
            SetField(*dialog, field, value);
            m_Boxes.Texts.clear();
            Click(*dialog, button);
            QCOMPARE(m_Boxes.Texts, message.isEmpty() ? QStringList() : QStringList{message});
            if (message.isEmpty())
                continue;
            QVERIFY(dialog->isVisible());
            QCOMPARE(Remembered(settings), before);
        }
    }

    void remembersOnOkOnly_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("Gamma") << int(kGamma) << "valueEdit=50"
                               << "balance 0 0 0 threshold 128 intensity 20 128 1 solarize 128";
        QTest::newRow("Balance") << int(kBalance) << "redEdit=1;greenEdit=-2;blueEdit=3"
                                 << "balance 1 -2 3 threshold 128 intensity 20 128 1 solarize 128";
        QTest::newRow("Threshold") << int(kThreshold) << "levelEdit=7"
                                   << "balance 0 0 0 threshold 7 intensity 20 128 1 solarize 128";
        QTest::newRow("Intensity") << int(kIntensity) << "intensityEdit=30.5;offsetEdit=9;exponentEdit=2"
                                   << "balance 0 0 0 threshold 128 intensity 30.5 9 2 solarize 128";
        QTest::newRow("Solarize") << int(kSolarize) << "thresholdEdit=0"
                                  << "balance 0 0 0 threshold 128 intensity 20 128 1 solarize 0";
    }
    void remembersOnOkOnly()
    {
        QFETCH(int, kind);
        QFETCH(QString, fields);
        QFETCH(QString, remembered);
        const auto image = Image(20, 10, 997);
        for (bool ok : {false, true}) {
            CSettings settings;
            const QString before = Remembered(settings);
            auto dialog = Make(kind, *image, settings);
            dialog->show();
            for (const auto& [name, value] : Pairs(fields))
                SetField(*dialog, name, value);
            Click(*dialog, "previewButton");
            QVERIFY(!dialog->findChild<CPreviewBox*>()->isEmpty());
            Click(*dialog, ok ? "okButton" : "cancelButton");
            QVERIFY(m_Boxes.Texts.isEmpty());
            QCOMPARE(dialog->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
            QCOMPARE(Remembered(settings), ok ? remembered : before);
            // Gamma, brightness and contrast start at 0 again.
            QCOMPARE(FieldValue(*Make(kind, *image, settings), "valueEdit"), QString(kind == kGamma ? "0" : "?"));
        }
    }

    void contrastRefusesTooManyColours()
    {
        // 1000 × 801 distinct colours, over the 800000 the contrast looks at.
        const auto image = Image(1000, 801, 13);
        CSettings settings;
        for (const char* button : {"previewButton", "okButton"}) {
            auto dialog = Make(kContrast, *image, settings);
            dialog->show();
            m_Boxes.Texts.clear();
            Click(*dialog, button);
            QCOMPARE(m_Boxes.Texts, QStringList{"Error.\nThis image contains too many colors.  "});
            QVERIFY(dialog->findChild<CPreviewBox*>()->isEmpty());
            if (std::strcmp(button, "okButton") == 0)
                QCOMPARE(dialog->result(), int(COperationDialog::kRefused));
        }
    }

    // Through the window: a single-grey image under Contrast stays as it is
    // yet can be undone; Invert keeps the file's depth, Gamma sets 24.
    void commandsRunOnTheShownImage()
    {
        QTemporaryDir dir;
        CWinBmp grey;
        grey.Create(8, 6, 32, false);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                grey.Row32(y)[x] = PackPixel(90, 90, 90);
        const QString path = dir.filePath("grey.bmp");
        grey.SaveAsBMP(path.toStdString());
        CMainWindow window;
        window.setSaveOnClose(false);
        window.show();
        QVERIFY(window.startUp(path.toStdString()));
        QVERIFY(QTest::qWaitFor([&] { return window.isIdle(); }, 10000));
        CPreview& view = *window.preview();
        const QByteArray loaded = Pixels(view.image());

        AnswerNextDialog("valueEdit=100");
        window.runCommand(ID_CONTRAST);
        QCOMPARE(window.paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));
        QCOMPARE(Pixels(view.image()), loaded);
        QVERIFY(window.isCommandEnabled(ID_UNDO));
        QCOMPARE(view.image().SourceBitsPerPixel, 24);

        window.runCommand(ID_UNDO);
        const int depth = view.image().SourceBitsPerPixel;
        window.runCommand(ID_INVERT_COLORS);
        QCOMPARE(view.image().Row32(0)[0] & 0xFFFFFF, PackPixel(165, 165, 165) & 0xFFFFFF);
        QCOMPARE(view.image().SourceBitsPerPixel, depth);
        QCOMPARE(window.paneText(CMainWindow::kStatePane), QStringLiteral("  Done"));

        AnswerNextDialog("valueEdit=-100");
        window.runCommand(ID_GAMMA);
        QCOMPARE(view.image().Row32(0)[0] & 0xFFFFFF, 0u);
        QCOMPARE(view.image().SourceBitsPerPixel, 24);
        QVERIFY(m_Boxes.Texts.isEmpty());
        for (int id : {ID_BRIGHTNESS, ID_BALANCE, ID_GRAY_SHADES, ID_SWAP_RED_BLUE, ID_THRESHOLD, ID_INTENSITY,
                       ID_SOLARIZE})
            QVERIFY(window.isCommandEnabled(id));
    }
};

OCULANE_APP_TEST(ColorDialogsTest)
#include "ColorDialogsTest.moc"
