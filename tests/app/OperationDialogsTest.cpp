// The parameter dialogs of the Image menu, driven through their widgets.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/BordersDialog.h"
#include "app/CanvasSizeDialog.h"
#include "app/MessageBox.h"
#include "app/PreviewBox.h"
#include "app/ResizeDialog.h"
#include "app/RotateDialog.h"
#include "app/ShearDialog.h"
#include "image/WinBmp.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cstring>

namespace {

enum Kind { kRotate, kShear, kResize, kCanvas, kBorders };

std::unique_ptr<CWinBmp> TestImage(int width, int height)
{
    auto image = std::make_unique<CWinBmp>();
    image->Create(width, height, 32, true);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            image->Row32(y)[x] = seed >> 1;
        }
    image->SourceBitsPerPixel = 8;
    return image;
}

std::unique_ptr<COperationDialog> Make(int kind, const CWinBmp& image, CSettings& settings)
{
    switch (kind) {
    case kRotate: return COperationDialog::Create<CRotateDialog>(image, settings);
    case kShear: return COperationDialog::Create<CShearDialog>(image, settings);
    case kResize: return COperationDialog::Create<CResizeDialog>(image, settings);
    case kCanvas: return COperationDialog::Create<CCanvasSizeDialog>(image, settings);
    default: return COperationDialog::Create<CBordersDialog>(image, settings);
    }
}

QWidget* Field(QWidget& dialog, const QString& name)
{
    QWidget* w = dialog.findChild<QWidget*>(name);
    if (!w)
        qWarning("no field %s", qPrintable(name));
    return w;
}

// A field as text: spin boxes and edits by their text, combo boxes by their
// item, check and radio buttons as 1 or 0, labels by their text.
QString FieldValue(QWidget* w)
{
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return QString::number(spin->value());
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    return QStringLiteral("?");
}

void SetField(QWidget* w, const QString& value)
{
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        spin->setValue(value.toInt());
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(value);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setChecked(value == QStringLiteral("1"));
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

// The members the dialogs remember, in one line.
QString Remembered(const CSettings& s)
{
    return QStringLiteral("rotate %1 %2 %3 shear %4 %5 %6 canvas %7 resize %8 borders %9 %10 %11 colour %12")
        .arg(s.RotateAngle).arg(s.RotateDirection).arg(s.RotateQuality)
        .arg(s.ShearAngle).arg(s.ShearAntiAlias).arg(s.ShearCorner)
        .arg(s.CanvasAnchor).arg(s.ResizeConstrain)
        .arg(s.BorderHorizontalOrientation).arg(s.BorderVerticalOrientation).arg(s.BorderOperation)
        .arg(s.BackgroundColor, 6, 16, QLatin1Char('0'));
}

void StoreOtherValues(CSettings& s)
{
    s.RotateAngle = 300;
    s.RotateDirection = 1;
    s.RotateQuality = 0;
    s.ShearAngle = 10;
    s.ShearAntiAlias = 0;
    s.ShearCorner = 1;
    s.CanvasAnchor = 8;
    s.ResizeConstrain = 0;
    s.BorderHorizontalOrientation = 0;
    s.BorderVerticalOrientation = 2;
    s.BorderOperation = 0;
    s.ImageSizeUnit = 1;
}

bool SamePixels(const CBmp& a, const CBmp& b)
{
    if (a.Width != b.Width || a.Height != b.Height)
        return false;
    for (int y = 0; y < a.Height; ++y)
        if (std::memcmp(a.Lines[y], b.Lines[y], size_t(a.Width) * 4) != 0)
            return false;
    return true;
}

} // namespace

class OperationDialogsTest : public QObject {
    Q_OBJECT
private:
    MessageRecorder m_Boxes;

    void click(QWidget& dialog, const char* name)
    {
        QTest::mouseClick(qobject_cast<QPushButton*>(Field(dialog, QString::fromLatin1(name))), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_Boxes.Start();
    }
    void cleanup()
    {
        m_Boxes.Stop();
        COperationDialog::SetColorChooser({});
    }

    void opensWithTheRememberedValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fields");
        QTest::newRow("Rotate") << int(kRotate) << false << "Rotate"
                                << "angleEdit=45;clockwiseRadio=1;qualityCombo=High (Interpolation)";
        QTest::newRow("Rotate stored") << int(kRotate) << true << "Rotate"
                                       << "angleEdit=300;counterClockwiseRadio=1;qualityCombo=Low";
        QTest::newRow("Shear") << int(kShear) << false << "Shear" << "angleEdit=45;antiAliasCheck=1;upLeftRadio=1";
        QTest::newRow("Shear stored") << int(kShear) << true << "Shear"
                                      << "angleEdit=10;antiAliasCheck=0;downLeftRadio=1";
        QTest::newRow("Resize") << int(kResize) << false << "Resize"
                                << "currentWidthText=200 pixels;currentHeightText=100 pixels;widthEdit=200;"
                                   "heightEdit=100;widthUnitText=pixels;constrainCheck=1";
        QTest::newRow("Resize stored") << int(kResize) << true << "Resize"
                                       << "currentWidthText=2.0833 inches;widthEdit=2.0833;heightEdit=1.0417;"
                                          "heightUnitText=inches;constrainCheck=0";
        QTest::newRow("Canvas Size") << int(kCanvas) << false << "Canvas Size"
                                     << "anchor0=1;anchor8=0;widthEdit=200;heightEdit=100";
        QTest::newRow("Canvas Size stored") << int(kCanvas) << true << "Canvas Size"
                                            << "anchor0=0;anchor8=1;widthEdit=2.0833;widthUnitText=inches";
        QTest::newRow("Borders") << int(kBorders) << false << "Add Borders / Crop By Value"
                                 << "horizontalEdit=0;verticalEdit=0;horizontalOrientationCombo=centered;"
                                    "verticalOrientationCombo=centered;addBordersRadio=1;horizontalUnitText=pixels";
        QTest::newRow("Borders stored") << int(kBorders) << true << "Add Borders / Crop By Value"
                                        << "horizontalEdit=0;horizontalOrientationCombo=from left;"
                                           "verticalOrientationCombo=from bottom;cropRadio=1;verticalUnitText=inches";
    }
    void opensWithTheRememberedValues()
    {
        QFETCH(int, kind);
        QFETCH(bool, stored);
        QFETCH(QString, title);
        QFETCH(QString, fields);
        const auto image = TestImage(200, 100);
        CSettings settings;
        if (stored)
            StoreOtherValues(settings);
        auto dialog = Make(kind, *image, settings);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), title);
        for (const auto& [name, value] : Pairs(fields))
            QCOMPARE(name + QLatin1Char('=') + FieldValue(Field(*dialog, name)), name + QLatin1Char('=') + value);
        // Resize has no preview; the others start with an empty one.
        auto* box = dialog->findChild<CPreviewBox*>(QStringLiteral("previewBox"));
        QCOMPARE(box != nullptr, kind != kResize);
        QVERIFY(!box || box->isEmpty());
    }

    void refusesFieldsOutOfRange_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        const QString angle = QStringLiteral("Please enter an integer between 1 and 359.");
        const QString shear = QStringLiteral("Please enter an integer between 1 and 89.");
        const QString canvas = QStringLiteral("Please enter a number between 0.0001 and 10000.");
        const QString borders = QStringLiteral("Please enter a number between 0 and 5000.");
        const QString number = QStringLiteral("Please enter a number.");
        QTest::newRow("rotate 0") << int(kRotate) << "angleEdit" << "0" << angle;
        QTest::newRow("rotate 360") << int(kRotate) << "angleEdit" << "360" << angle;
        QTest::newRow("rotate 359") << int(kRotate) << "angleEdit" << "359" << QString();
        QTest::newRow("shear 90") << int(kShear) << "angleEdit" << "90" << shear;
        QTest::newRow("shear 0") << int(kShear) << "angleEdit" << "0" << shear;
        QTest::newRow("shear 89") << int(kShear) << "angleEdit" << "89" << QString();
        QTest::newRow("canvas width 0") << int(kCanvas) << "widthEdit" << "0" << canvas;
        QTest::newRow("canvas height 10000.5") << int(kCanvas) << "heightEdit" << "10000.5" << canvas;
        QTest::newRow("canvas width text") << int(kCanvas) << "widthEdit" << "abc" << number;
        QTest::newRow("canvas grouped digits") << int(kCanvas) << "widthEdit" << "1,5" << number;
        QTest::newRow("canvas 10000") << int(kCanvas) << "heightEdit" << "10000" << QString();
        QTest::newRow("resize width 0") << int(kResize) << "widthEdit" << "0"
                                        << "Please enter a number between 0.0001 and 1000000.";
        QTest::newRow("resize height empty") << int(kResize) << "heightEdit" << "" << number;
        QTest::newRow("borders 5001") << int(kBorders) << "horizontalEdit" << "5001" << borders;
        QTest::newRow("borders -1") << int(kBorders) << "verticalEdit" << "-1" << borders;
        QTest::newRow("borders 5000") << int(kBorders) << "verticalEdit" << "5000" << QString();
    }
    void refusesFieldsOutOfRange()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const auto image = TestImage(20, 10);
        CSettings settings;
        const QString before = Remembered(settings);
        for (const char* button : {"previewButton", "okButton"}) {
            auto dialog = Make(kind, *image, settings);
            if (kind == kResize && std::strcmp(button, "previewButton") == 0)
                continue;
            dialog->show();
            SetField(Field(*dialog, field), value);
            m_Boxes.Texts.clear();
            click(*dialog, button);
            if (message.isEmpty()) {
                QVERIFY(m_Boxes.Texts.isEmpty());
                continue;
            }
            QCOMPARE(m_Boxes.Texts.size(), 1);
            QCOMPARE(m_Boxes.Texts[0], message);
            QCOMPARE(m_Boxes.Kinds[0], int(MessageBox::kWarning));
            QVERIFY(dialog->isVisible());
            QCOMPARE(Remembered(settings), before);
            if (auto* box = dialog->findChild<CPreviewBox*>())
                QVERIFY(box->isEmpty());
        }
    }

    void storesTheValuesOnlyOnOk_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("remembered");
        const char* defaults = "rotate 45 0 2 shear 45 1 0 canvas 0 resize 1 borders 1 1 1 colour 000000";
        QTest::newRow("Rotate") << int(kRotate) << "angleEdit=90;counterClockwiseRadio=1;qualityCombo=Low"
                                << "rotate 90 1 0 shear 45 1 0 canvas 0 resize 1 borders 1 1 1 colour 000000";
        QTest::newRow("Shear") << int(kShear) << "angleEdit=30;antiAliasCheck=0;downLeftRadio=1"
                               << "rotate 45 0 2 shear 30 0 1 canvas 0 resize 1 borders 1 1 1 colour 000000";
        QTest::newRow("Resize") << int(kResize) << "constrainCheck=0"
                                << "rotate 45 0 2 shear 45 1 0 canvas 0 resize 0 borders 1 1 1 colour 000000";
        QTest::newRow("Canvas Size") << int(kCanvas) << "anchor3=1"
                                     << "rotate 45 0 2 shear 45 1 0 canvas 3 resize 1 borders 1 1 1 colour 000000";
        QTest::newRow("Borders")
            << int(kBorders) << "horizontalOrientationCombo=from right;verticalOrientationCombo=from top;cropRadio=1"
            << "rotate 45 0 2 shear 45 1 0 canvas 0 resize 1 borders 2 0 0 colour 000000";
        QTest::newRow("Borders unchanged") << int(kBorders) << "" << defaults;
    }
    void storesTheValuesOnlyOnOk()
    {
        QFETCH(int, kind);
        QFETCH(QString, fields);
        QFETCH(QString, remembered);
        const auto image = TestImage(20, 10);
        for (bool ok : {false, true}) {
            CSettings settings;
            const QString before = Remembered(settings);
            auto dialog = Make(kind, *image, settings);
            dialog->show();
            for (const auto& [name, value] : Pairs(fields))
                SetField(Field(*dialog, name), value);
            if (kind != kResize)
                click(*dialog, "previewButton");
            click(*dialog, ok ? "okButton" : "cancelButton");
            QVERIFY(m_Boxes.Texts.isEmpty());
            QCOMPARE(dialog->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
            QCOMPARE(Remembered(settings), ok ? remembered : before);
        }
    }

    void previewTwiceIsPreviewOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fields");
        QTest::newRow("Rotate 30 high") << int(kRotate) << "angleEdit=30";
        QTest::newRow("Rotate 90") << int(kRotate) << "angleEdit=90;qualityCombo=Low";
        QTest::newRow("Shear") << int(kShear) << "angleEdit=20;downLeftRadio=1";
        QTest::newRow("Canvas Size") << int(kCanvas) << "widthEdit=30;heightEdit=7;anchor1=1";
        QTest::newRow("Borders") << int(kBorders) << "horizontalEdit=4;verticalEdit=2";
        QTest::newRow("Crop") << int(kBorders) << "horizontalEdit=4;cropRadio=1";
    }
    void previewTwiceIsPreviewOnce()
    {
        QFETCH(int, kind);
        QFETCH(QString, fields);
        const auto image = TestImage(20, 10);
        CSettings settings;
        settings.BackgroundColor = 0x00204080;
        auto dialog = Make(kind, *image, settings);
        dialog->show();
        for (const auto& [name, value] : Pairs(fields))
            SetField(Field(*dialog, name), value);
        click(*dialog, "previewButton");
        click(*dialog, "previewButton");
        QVERIFY(m_Boxes.Texts.isEmpty());

        CEditBmp once;
        auto copy = std::make_unique<CWinBmp>();
        copy->CopyFrom(*image, 32);
        once.reset(std::move(copy), std::string(), false);
        dialog->operation()(once);
        const CWinBmp& shown = dialog->previewCopy()->image();
        QVERIFY(SamePixels(shown, once.image()));
        QCOMPARE(shown.SourceBitsPerPixel, 24);
        QVERIFY(!dialog->findChild<CPreviewBox*>()->isEmpty());
        // The view's image is not touched.
        QCOMPARE(image->SourceBitsPerPixel, 8);
        QCOMPARE(image->Width, 20);
    }

    void untouchedSizeKeepsTheSize_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (int kind : {int(kResize), int(kCanvas)})
            for (int unit : {0, 1, 2, 3})
                for (auto [w, h] : {std::pair{1, 1}, std::pair{97, 203}, std::pair{1234, 3}})
                    QTest::addRow("%s unit %d %dx%d", kind == kResize ? "resize" : "canvas", unit, w, h)
                        << kind << unit << w << h;
    }
    void untouchedSizeKeepsTheSize()
    {
        QFETCH(int, kind);
        QFETCH(int, unit);
        QFETCH(int, width);
        QFETCH(int, height);
        const auto image = TestImage(width, height);
        CSettings settings;
        settings.ImageSizeUnit = unit;
        auto dialog = Make(kind, *image, settings);
        dialog->show();
        click(*dialog, "okButton");
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        CEditBmp document;
        document.reset(TestImage(width, height), std::string(), false);
        QVERIFY(!dialog->operation()(document));
        QVERIFY(SamePixels(document.image(), *image));
    }

    void constrainProportionsFollowsTheEditedSide_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<bool>("constrain");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("other");
        QTest::newRow("width 50") << 0 << true << "widthEdit" << "50" << "25";
        QTest::newRow("height 50") << 0 << true << "heightEdit" << "50" << "100";
        QTest::newRow("off") << 0 << false << "widthEdit" << "50" << "100";
        QTest::newRow("inches") << 1 << true << "widthEdit" << "1" << "0.5000";
        QTest::newRow("mm") << 2 << true << "heightEdit" << "10" << "20";
        QTest::newRow("not a number") << 0 << true << "widthEdit" << "x" << "100";
    }
    void constrainProportionsFollowsTheEditedSide()
    {
        QFETCH(int, unit);
        QFETCH(bool, constrain);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, other);
        const auto image = TestImage(200, 100);
        CSettings settings;
        settings.ImageSizeUnit = unit;
        settings.ResizeConstrain = constrain;
        auto dialog = Make(kResize, *image, settings);
        dialog->show();
        auto* edit = qobject_cast<QLineEdit*>(Field(*dialog, field));
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        const QString otherName = field == QStringLiteral("widthEdit") ? QStringLiteral("heightEdit")
                                                                       : QStringLiteral("widthEdit");
        QCOMPARE(FieldValue(Field(*dialog, otherName)), other);
    }

    void cropLargerThanTheImageIsRefused_data()
    {
        QTest::addColumn<QString>("horizontal");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("result");
        const QString cannot = QStringLiteral("Can't crop image.");
        QTest::newRow("preview 150") << "150" << false << cannot << int(MessageBox::kWarning) << -1;
        QTest::newRow("OK 150") << "150" << true << cannot << int(MessageBox::kWarning)
                                << COperationDialog::kRefused;
        // Exactly the width leaves no pixel: the command's own error.
        QTest::newRow("preview 100") << "100" << false << "Error resizing canvas" << int(MessageBox::kError) << -1;
        QTest::newRow("OK 99") << "99" << true << QString() << 0 << int(QDialog::Accepted);
    }
    void cropLargerThanTheImageIsRefused()
    {
        QFETCH(QString, horizontal);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(int, result);
        const auto image = TestImage(100, 50);
        CSettings settings;
        auto dialog = Make(kBorders, *image, settings);
        dialog->show();
        SetField(Field(*dialog, QStringLiteral("horizontalEdit")), horizontal);
        SetField(Field(*dialog, QStringLiteral("cropRadio")), QStringLiteral("1"));
        click(*dialog, ok ? "okButton" : "previewButton");
        if (message.isEmpty()) {
            QVERIFY(m_Boxes.Texts.isEmpty());
        } else {
            QCOMPARE(m_Boxes.Texts.size(), 1);
            QCOMPARE(m_Boxes.Texts[0], message);
            QCOMPARE(m_Boxes.Kinds[0], icon);
        }
        QCOMPARE(dialog->isVisible(), !ok);
        if (ok) {
            QCOMPARE(dialog->result(), result);
            // The choices are kept even when the crop is refused.
            QCOMPARE(settings.BorderOperation, 0);
        } else {
            // The preview copy stays the image as it came.
            QVERIFY(SamePixels(dialog->previewCopy()->image(), *image));
        }
    }

    void chosenFillColourIsSharedEvenOnCancel_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::newRow("Rotate") << int(kRotate) << "Background Fill Color";
        QTest::newRow("Shear") << int(kShear) << "Background Fill Color";
        QTest::newRow("Canvas Size") << int(kCanvas) << "Background Fill Color";
        QTest::newRow("Borders") << int(kBorders) << "Border Fill Color";
    }
    void chosenFillColourIsSharedEvenOnCancel()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        const auto image = TestImage(8, 8);
        CSettings settings;
        settings.BackgroundColor = 0x00010203;
        ColorRef offered = 0;
        bool choose = false;
        COperationDialog::SetColorChooser([&](QWidget*, ColorRef& color) {
            offered = color;
            color = 0x00336699;
            return choose;
        });
        auto dialog = Make(kind, *image, settings);
        dialog->show();
        auto* swatch = qobject_cast<QLabel*>(Field(*dialog, QStringLiteral("fillSwatch")));
        auto* group = qobject_cast<QWidget*>(swatch->parent());
        QCOMPARE(group->property("title").toString(), title);
        QCOMPARE(swatch->palette().color(QPalette::Window), QColor(3, 2, 1));
        QCOMPARE(qobject_cast<QPushButton*>(Field(*dialog, QStringLiteral("chooseColorButton")))->text(),
                 QStringLiteral("&Choose Color"));

        click(*dialog, "chooseColorButton");  // the chooser is cancelled
        QCOMPARE(offered, ColorRef(0x00010203));
        QCOMPARE(settings.BackgroundColor, 0x00010203u);

        choose = true;
        click(*dialog, "chooseColorButton");
        QCOMPARE(settings.BackgroundColor, 0x00336699u);
        QCOMPARE(swatch->palette().color(QPalette::Window), QColor(0x99, 0x66, 0x33));
        click(*dialog, "cancelButton");
        QCOMPARE(settings.BackgroundColor, 0x00336699u);
    }

    void previewCopyOverTheMemoryCapIsRefused()
    {
        const auto image = TestImage(64, 64);
        CSettings settings;
        const QByteArray saved = qgetenv("OCULANE_MAX_IMAGE_BYTES");
        qputenv("OCULANE_MAX_IMAGE_BYTES", "4096");
        auto refused = Make(kRotate, *image, settings);
        // Resize makes no preview copy and opens.
        auto resize = Make(kResize, *image, settings);
        if (saved.isEmpty())
            qunsetenv("OCULANE_MAX_IMAGE_BYTES");
        else
            qputenv("OCULANE_MAX_IMAGE_BYTES", saved);
        QVERIFY(!refused);
        QVERIFY(resize);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QCOMPARE(m_Boxes.Texts[0], QStringLiteral("Out of Memory!"));
    }
};

OCULANE_APP_TEST(OperationDialogsTest)

#include "OperationDialogsTest.moc"
