#include "app/PrintSetupDialog.h"

#include "app/MessageBox.h"
#include "browser/NumberFormat.h"
#include "ops/Units.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {

bool ReadLength(const QLineEdit* edit, double& value)
{
    bool ok = false;
    // The C locale without group separators: "1,5" is not a number.
    value = edit->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

QRadioButton* Radio(const QString& text, const char* name)
{
    auto* radio = new QRadioButton(text);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

QCheckBox* Check(const QString& text, const char* name, bool on)
{
    auto* check = new QCheckBox(text);
    check->setObjectName(QLatin1String(name));
    check->setChecked(on);
    return check;
}

QComboBox* Combo(const QStringList& items, const char* name, int index)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    combo->setCurrentIndex(index);
    return combo;
}

} // namespace

CPrintSetupDialog::CPrintSetupDialog(CSettings& settings, int imageWidth, int imageHeight, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Setup(ReadPrintSetup(settings)), m_Unit(m_Setup.LengthUnit)
{
    setWindowTitle(QStringLiteral("Print Setup"));
    // Without a custom size chosen before, it starts as the image's own.
    m_Pair[kPrintSizeCustom][0] = m_Setup.CustomWidth > 0 ? m_Setup.CustomWidth : imageWidth > 0 ? imageWidth : 100;
    m_Pair[kPrintSizeCustom][1] = m_Setup.CustomWidth > 0 ? m_Setup.CustomHeight : imageHeight > 0 ? imageHeight : 100;
    m_Pair[kPrintSizeThumbnails][0] = m_Setup.ThumbnailWidth;
    m_Pair[kPrintSizeThumbnails][1] = m_Setup.ThumbnailHeight;

    auto* vertical = new QGroupBox(QStringLiteral("Vertical position"));
    auto* verticalColumn = new QVBoxLayout(vertical);
    m_Vertical[0] = Radio(QStringLiteral("&Top"), "topRadio");
    m_Vertical[1] = Radio(QStringLiteral("&Center"), "verticalCenterRadio");
    m_Vertical[2] = Radio(QStringLiteral("&Bottom"), "bottomRadio");
    auto* horizontal = new QGroupBox(QStringLiteral("Horizontal position"));
    auto* horizontalColumn = new QVBoxLayout(horizontal);
    m_Horizontal[0] = Radio(QStringLiteral("&Left"), "leftRadio");
    m_Horizontal[1] = Radio(QStringLiteral("C&enter"), "horizontalCenterRadio");
    m_Horizontal[2] = Radio(QStringLiteral("&Right"), "rightRadio");
    for (int i = 0; i < 3; ++i) {
        verticalColumn->addWidget(m_Vertical[i]);
        horizontalColumn->addWidget(m_Horizontal[i]);
    }
    m_Vertical[m_Setup.VerticalPosition]->setChecked(true);
    m_Horizontal[m_Setup.HorizontalPosition]->setChecked(true);

    auto* margins = new QGroupBox(QStringLiteral("Margins"));
    auto* marginGrid = new QGridLayout(margins);
    m_Margin[0] = addLength(marginGrid, 0, 0, QStringLiteral("Left:"), "marginLeftEdit", m_Setup.MarginLeft);
    m_Margin[1] = addLength(marginGrid, 1, 0, QStringLiteral("Top:"), "marginTopEdit", m_Setup.MarginTop);
    m_Margin[2] = addLength(marginGrid, 0, 3, QStringLiteral("Right:"), "marginRightEdit", m_Setup.MarginRight);
    m_Margin[3] = addLength(marginGrid, 1, 3, QStringLiteral("Bottom:"), "marginBottomEdit", m_Setup.MarginBottom);

    auto* caption = new QGroupBox(QStringLiteral("Caption"));
    auto* captionGrid = new QGridLayout(caption);
    m_Path = Check(QStringLiteral("File pat&h"), "pathCheck", m_Setup.CaptionPath);
    m_Name = Check(QStringLiteral("File &name"), "nameCheck", m_Setup.CaptionName);
    m_Dimensions = Check(QStringLiteral("&Image dimensions"), "dimensionsCheck", m_Setup.CaptionDimensions);
    m_FileSize = Check(QStringLiteral("File &size"), "fileSizeCheck", m_Setup.CaptionFileSize);
    m_Alignment = Combo({QStringLiteral("Center"), QStringLiteral("Left"), QStringLiteral("Right")}, "alignmentCombo",
                        m_Setup.Alignment);
    m_Position = Combo({QStringLiteral("Top"), QStringLiteral("Bottom")}, "positionCombo", m_Setup.CaptionAt);
    captionGrid->addWidget(m_Path, 0, 0);
    captionGrid->addWidget(m_Name, 0, 1);
    captionGrid->addWidget(m_Dimensions, 1, 0);
    captionGrid->addWidget(m_FileSize, 1, 1);
    auto* alignmentLabel = new QLabel(QStringLiteral("Alignment:"));
    alignmentLabel->setBuddy(m_Alignment);
    auto* positionLabel = new QLabel(QStringLiteral("Position:"));
    positionLabel->setBuddy(m_Position);
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(alignmentLabel);
    captionRow->addWidget(m_Alignment);
    captionRow->addSpacing(12);
    captionRow->addWidget(positionLabel);
    captionRow->addWidget(m_Position);
    captionRow->addStretch(1);
    captionGrid->addLayout(captionRow, 2, 0, 1, 2);

    auto* size = new QGroupBox(QStringLiteral("Size"));
    auto* sizeColumn = new QVBoxLayout(size);
    auto* choices = new QHBoxLayout;
    auto* sizeGroup = new QButtonGroup(this);
    m_Size[kPrintSizeDefault] = Radio(QStringLiteral("&Default"), "defaultRadio");
    m_Size[kPrintSizeFit] = Radio(QStringLiteral("&Fit to page"), "fitRadio");
    m_Size[kPrintSizeCustom] = Radio(QStringLiteral("C&ustom"), "customRadio");
    m_Size[kPrintSizeThumbnails] = Radio(QStringLiteral("Thu&mbnails"), "thumbnailsRadio");
    for (int i = 0; i < 4; ++i) {
        sizeGroup->addButton(m_Size[i], i);
        choices->addWidget(m_Size[i]);
    }
    choices->addStretch(1);
    sizeColumn->addLayout(choices);
    auto* sizeGrid = new QGridLayout;
    m_Width = addLength(sizeGrid, 0, 0, QStringLiteral("Width:"), "widthEdit", 0);
    m_Height = addLength(sizeGrid, 0, 3, QStringLiteral("Height:"), "heightEdit", 0);
    sizeColumn->addLayout(sizeGrid);
    m_Constrain = Check(QStringLiteral("Constr&ain proportions"), "constrainCheck", true);
    sizeColumn->addWidget(m_Constrain);
    m_Source = Combo({QStringLiteral("All images in directory"), QStringLiteral("Selected images only")},
                     "sourceCombo", m_Setup.ThumbnailSource);
    sizeColumn->addWidget(m_Source);
    m_Size[m_Setup.Size]->setChecked(true);
    connect(sizeGroup, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            sizeChosen();
    });
    // Only what the user types moves the other side, not the text set here.
    connect(m_Width, &QLineEdit::textEdited, this, &CPrintSetupDialog::widthEdited);
    connect(m_Height, &QLineEdit::textEdited, this, &CPrintSetupDialog::heightEdited);
    sizeChosen();

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CPrintSetupDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CPrintSetupDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* positions = new QHBoxLayout;
    positions->addWidget(vertical);
    positions->addWidget(horizontal);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(positions);
    layout->addWidget(margins);
    layout->addWidget(caption);
    layout->addWidget(size);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

QLineEdit* CPrintSetupDialog::addLength(QGridLayout* grid, int row, int column, const QString& label,
                                        const char* name, int units)
{
    auto* edit = new QLineEdit(QString::fromStdString(PrintLengthText(units, m_Unit)));
    edit->setObjectName(QLatin1String(name));
    edit->setMaximumWidth(90);
    auto* text = new QLabel(label);
    text->setBuddy(edit);
    grid->addWidget(text, row, column);
    grid->addWidget(edit, row, column + 1);
    grid->addWidget(new QLabel(QString::fromLatin1(UnitName(m_Unit))), row, column + 2);
    return edit;
}

int CPrintSetupDialog::sizeChoice() const
{
    for (int i = 0; i < 4; ++i)
        if (m_Size[i]->isChecked())
            return i;
    return kPrintSizeDefault;
}

bool CPrintSetupDialog::takeSizeEdits(int choice)
{
    if (choice != kPrintSizeCustom && choice != kPrintSizeThumbnails)
        return true;
    double width = 0, height = 0;
    if (!ReadLength(m_Width, width) || !ReadLength(m_Height, height))
        return false;
    const int64_t w = LengthToPrintUnits(width, m_Unit), h = LengthToPrintUnits(height, m_Unit);
    if (width < 0 || height < 0 || w < 1 || h < 1 || w > kMaxPrintLength || h > kMaxPrintLength)
        return false;
    m_Pair[choice][0] = static_cast<int>(w);
    m_Pair[choice][1] = static_cast<int>(h);
    return true;
}

void CPrintSetupDialog::showSizeEdits()
{
    const int choice = sizeChoice();
    // Default and Fit to page keep the thumbnail size in sight, disabled.
    const int shown = choice == kPrintSizeCustom ? kPrintSizeCustom : kPrintSizeThumbnails;
    m_Width->setText(QString::fromStdString(PrintLengthText(m_Pair[shown][0], m_Unit)));
    m_Height->setText(QString::fromStdString(PrintLengthText(m_Pair[shown][1], m_Unit)));
    m_Shown = choice;
}

void CPrintSetupDialog::sizeChosen()
{
    if (m_Shown >= 0)
        takeSizeEdits(m_Shown);
    showSizeEdits();
    enableFields();
}

void CPrintSetupDialog::enableFields()
{
    const int choice = sizeChoice();
    const bool sized = choice == kPrintSizeCustom || choice == kPrintSizeThumbnails;
    const bool thumbnails = choice == kPrintSizeThumbnails;
    m_Width->setEnabled(sized);
    m_Height->setEnabled(sized);
    m_Constrain->setEnabled(sized);
    m_Source->setEnabled(thumbnails);
    m_Path->setEnabled(!thumbnails);
    m_FileSize->setEnabled(!thumbnails);
}

void CPrintSetupDialog::widthEdited()
{
    const int choice = sizeChoice();
    double width = 0;
    if (!m_Constrain->isChecked() || !ReadLength(m_Width, width) || m_Pair[choice][0] <= 0)
        return;
    const double height = width * m_Pair[choice][1] / m_Pair[choice][0];
    m_Height->setText(QString::fromStdString(PrintLengthText(LengthToPrintUnits(height, m_Unit), m_Unit)));
}

void CPrintSetupDialog::heightEdited()
{
    const int choice = sizeChoice();
    double height = 0;
    if (!m_Constrain->isChecked() || !ReadLength(m_Height, height) || m_Pair[choice][1] <= 0)
        return;
    const double width = height * m_Pair[choice][0] / m_Pair[choice][1];
    m_Width->setText(QString::fromStdString(PrintLengthText(LengthToPrintUnits(width, m_Unit), m_Unit)));
}

QLineEdit* CPrintSetupDialog::checkLength(QLineEdit* edit, int low, int high, QString& message) const
{
    double value = 0;
    if (!ReadLength(edit, value)) {
        message = QStringLiteral("Please enter a number.");
        return edit;
    }
    const int64_t units = LengthToPrintUnits(value, m_Unit);
    if (value >= 0 && units >= low && units <= high)
        return nullptr;
    message = QStringLiteral("Please enter a number between %1 and %2.")
                  .arg(QString::fromStdString(PrintLengthText(low, m_Unit)),
                       QString::fromStdString(PrintLengthText(high, m_Unit)));
    return edit;
}

void CPrintSetupDialog::accept()
{
    const int choice = sizeChoice();
    QString message;
    QLineEdit* bad = nullptr;
    for (QLineEdit* margin : m_Margin)
        if (!bad)
            bad = checkLength(margin, 0, kMaxPrintLength, message);
    if (!bad && (choice == kPrintSizeCustom || choice == kPrintSizeThumbnails)) {
        bad = checkLength(m_Width, 1, kMaxPrintLength, message);
        if (!bad)
            bad = checkLength(m_Height, 1, kMaxPrintLength, message);
    }
    if (bad) {
        MessageBox::Warning(this, message);
        bad->setFocus();
        bad->selectAll();
        return;
    }
    takeSizeEdits(choice);

    PrintSetup& p = m_Setup;
    for (int i = 0; i < 3; ++i) {
        if (m_Vertical[i]->isChecked())
            p.VerticalPosition = i;
        if (m_Horizontal[i]->isChecked())
            p.HorizontalPosition = i;
    }
    int* margins[4] = {&p.MarginLeft, &p.MarginTop, &p.MarginRight, &p.MarginBottom};
    for (int i = 0; i < 4; ++i) {
        double value = 0;
        ReadLength(m_Margin[i], value);
        *margins[i] = static_cast<int>(LengthToPrintUnits(value, m_Unit));
    }
    p.CaptionPath = m_Path->isChecked();
    p.CaptionFileSize = m_FileSize->isChecked();
    p.CaptionName = m_Name->isChecked();
    p.CaptionDimensions = m_Dimensions->isChecked();
    p.Alignment = m_Alignment->currentIndex();
    p.CaptionAt = m_Position->currentIndex();
    p.Size = choice;
    if (choice == kPrintSizeCustom) {
        p.CustomWidth = m_Pair[kPrintSizeCustom][0];
        p.CustomHeight = m_Pair[kPrintSizeCustom][1];
    }
    p.ThumbnailWidth = m_Pair[kPrintSizeThumbnails][0];
    p.ThumbnailHeight = m_Pair[kPrintSizeThumbnails][1];
    p.ThumbnailSource = m_Source->currentIndex();
    StorePrintSetup(p, m_Settings);
    QDialog::accept();
}
