#include "app/ShearDialog.h"

#include "settings/Settings.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

CShearDialog::CShearDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Shear"));
    // Wider than the allowed angles so that a wrong one can be typed and named.
    m_Angle = new QSpinBox;
    m_Angle->setObjectName(QStringLiteral("angleEdit"));
    m_Angle->setRange(-99999, 99999);
    m_Angle->setValue(settings.ShearAngle);
    auto* angleLabel = new QLabel(QStringLiteral("Angle (1-89):"));
    angleLabel->setBuddy(m_Angle);
    auto* angleRow = new QHBoxLayout;
    angleRow->addWidget(angleLabel);
    angleRow->addWidget(m_Angle);
    angleRow->addStretch(1);
    fieldsLayout()->addLayout(angleRow);

    m_AntiAlias = new QCheckBox(QStringLiteral("&Anti-aliasing"));
    m_AntiAlias->setObjectName(QStringLiteral("antiAliasCheck"));
    m_AntiAlias->setChecked(settings.ShearAntiAlias != 0);
    fieldsLayout()->addWidget(m_AntiAlias);

    auto* corner = new QGroupBox(QStringLiteral("Corner"));
    m_UpLeft = new QRadioButton(QStringLiteral("&Up-Left"));
    m_UpLeft->setObjectName(QStringLiteral("upLeftRadio"));
    m_DownLeft = new QRadioButton(QStringLiteral("&Down-Left"));
    m_DownLeft->setObjectName(QStringLiteral("downLeftRadio"));
    (settings.ShearCorner == 1 ? m_DownLeft : m_UpLeft)->setChecked(true);
    auto* cornerLayout = new QVBoxLayout(corner);
    cornerLayout->addWidget(m_UpLeft);
    cornerLayout->addWidget(m_DownLeft);
    fieldsLayout()->addWidget(corner);

    fieldsLayout()->addWidget(makeFillColorGroup(QStringLiteral("Background Fill Color")));
    finishLayout();
}

QString CShearDialog::checkFields() const
{
    return CheckInteger(m_Angle, 1, 89);
}

COperationDialog::Operation CShearDialog::operation() const
{
    const double degrees = m_Angle->value();
    const int corner = m_DownLeft->isChecked() ? 1 : 0;
    const bool antiAlias = m_AntiAlias->isChecked();
    const ColorRef fill = m_Settings.BackgroundColor;
    return [=](CEditBmp& bmp) { return bmp.shear(degrees, corner, antiAlias, fill); };
}

QString CShearDialog::errorText() const
{
    return QStringLiteral("Error shearing image");
}

void CShearDialog::storeSettings()
{
    m_Settings.ShearAngle = m_Angle->value();
    m_Settings.ShearAntiAlias = m_AntiAlias->isChecked() ? 1 : 0;
    m_Settings.ShearCorner = m_DownLeft->isChecked() ? 1 : 0;
}
