#include "app/BordersDialog.h"

#include "ops/Units.h"
#include "settings/Settings.h"

#include "base/TextException.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <tuple>

namespace {

int Choice(int stored, int fallback)
{
    return stored >= 0 && stored <= 2 ? stored : fallback;
}

} // namespace

CBordersDialog::CBordersDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent), m_Unit(settings.ImageSizeUnit)
{
    setWindowTitle(QStringLiteral("Add Borders / Crop By Value"));
    const QString unitName = QString::fromLatin1(UnitName(m_Unit));

    auto* amount = new QGroupBox(QStringLiteral("Amount"));
    auto* amountGrid = new QGridLayout(amount);
    m_Horizontal = new QLineEdit(QStringLiteral("0"));
    m_Horizontal->setObjectName(QStringLiteral("horizontalEdit"));
    m_Vertical = new QLineEdit(QStringLiteral("0"));
    m_Vertical->setObjectName(QStringLiteral("verticalEdit"));
    int row = 0;
    for (auto [edit, label, unitObject] : {std::tuple{m_Horizontal, "Horizontal:", "horizontalUnitText"},
                                           std::tuple{m_Vertical, "Vertical:", "verticalUnitText"}}) {
        edit->setMaximumWidth(90);
        auto* unit = new QLabel(unitName);
        unit->setObjectName(QString::fromLatin1(unitObject));
        amountGrid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
        amountGrid->addWidget(edit, row, 1);
        amountGrid->addWidget(unit, row, 2);
        ++row;
    }

    auto* orientation = new QGroupBox(QStringLiteral("Orientation"));
    auto* orientationLayout = new QVBoxLayout(orientation);
    m_HorizontalOrientation = new QComboBox;
    m_HorizontalOrientation->setObjectName(QStringLiteral("horizontalOrientationCombo"));
    m_HorizontalOrientation->addItems(
        {QStringLiteral("from left"), QStringLiteral("centered"), QStringLiteral("from right")});
    m_HorizontalOrientation->setCurrentIndex(Choice(settings.BorderHorizontalOrientation, 1));
    m_VerticalOrientation = new QComboBox;
    m_VerticalOrientation->setObjectName(QStringLiteral("verticalOrientationCombo"));
    m_VerticalOrientation->addItems(
        {QStringLiteral("from top"), QStringLiteral("centered"), QStringLiteral("from bottom")});
    m_VerticalOrientation->setCurrentIndex(Choice(settings.BorderVerticalOrientation, 1));
    orientationLayout->addWidget(m_HorizontalOrientation);
    orientationLayout->addWidget(m_VerticalOrientation);

    auto* amounts = new QHBoxLayout;
    amounts->addWidget(amount);
    amounts->addWidget(orientation);
    fieldsLayout()->addLayout(amounts);

    auto* operation = new QGroupBox(QStringLiteral("Operation"));
    m_Crop = new QRadioButton(QStringLiteral("Crop By Value"));
    m_Crop->setObjectName(QStringLiteral("cropRadio"));
    m_AddBorders = new QRadioButton(QStringLiteral("Add Borders"));
    m_AddBorders->setObjectName(QStringLiteral("addBordersRadio"));
    (settings.BorderOperation == 0 ? m_Crop : m_AddBorders)->setChecked(true);
    auto* operationLayout = new QHBoxLayout(operation);
    operationLayout->addWidget(m_Crop);
    operationLayout->addWidget(m_AddBorders);
    operationLayout->addStretch(1);
    fieldsLayout()->addWidget(operation);

    fieldsLayout()->addWidget(makeFillColorGroup(QStringLiteral("Border Fill Color")));
    finishLayout();
}

QString CBordersDialog::checkFields() const
{
    QString message = CheckNumber(m_Horizontal, 0, kMaximum);
    return message.isEmpty() ? CheckNumber(m_Vertical, 0, kMaximum) : message;
}

QString CBordersDialog::refusal() const
{
    double horizontal = 0, vertical = 0;
    ReadNumber(m_Horizontal, horizontal);
    ReadNumber(m_Vertical, vertical);
    try {
        BordersOrCrop(m_Width, m_Height, horizontal, vertical, m_HorizontalOrientation->currentIndex(),
                      m_VerticalOrientation->currentIndex(), m_AddBorders->isChecked(), m_Unit);
    } catch (const CTextException& e) {
        return QString::fromStdString(e.GetText());
    }
    return {};
}

COperationDialog::Operation CBordersDialog::operation() const
{
    double horizontal = 0, vertical = 0;
    ReadNumber(m_Horizontal, horizontal);
    ReadNumber(m_Vertical, vertical);
    const int horizontalOrientation = m_HorizontalOrientation->currentIndex();
    const int verticalOrientation = m_VerticalOrientation->currentIndex();
    const bool addBorders = m_AddBorders->isChecked();
    const int unit = m_Unit;
    const ColorRef fill = m_Settings.BackgroundColor;
    return [=](CEditBmp& bmp) {
        const CanvasChange change = BordersOrCrop(bmp.image().Width, bmp.image().Height, horizontal, vertical,
                                                  horizontalOrientation, verticalOrientation, addBorders, unit);
        return bmp.canvas(change.Width, change.Height, change.Anchor, fill);
    };
}

QString CBordersDialog::errorText() const
{
    return QStringLiteral("Error resizing canvas");
}

void CBordersDialog::storeSettings()
{
    m_Settings.BorderHorizontalOrientation = m_HorizontalOrientation->currentIndex();
    m_Settings.BorderVerticalOrientation = m_VerticalOrientation->currentIndex();
    m_Settings.BorderOperation = m_AddBorders->isChecked() ? 1 : 0;
}
