#include "app/RotateDialog.h"

#include "ops/Units.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

CRotateDialog::CRotateDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Rotate"));
    auto* grid = new QGridLayout;
    // Wider than the allowed angles so that a wrong one can be typed and named.
    m_Angle = new QSpinBox;
    m_Angle->setObjectName(QStringLiteral("angleEdit"));
    m_Angle->setRange(-99999, 99999);
    m_Angle->setValue(settings.RotateAngle);
    auto* angleLabel = new QLabel(QStringLiteral("Angle:"));
    angleLabel->setBuddy(m_Angle);
    grid->addWidget(angleLabel, 0, 0);
    grid->addWidget(m_Angle, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("degrees")), 0, 2);

    m_Clockwise = new QRadioButton(QStringLiteral("Clockwise"));
    m_Clockwise->setObjectName(QStringLiteral("clockwiseRadio"));
    m_CounterClockwise = new QRadioButton(QStringLiteral("Counter-clockwise"));
    m_CounterClockwise->setObjectName(QStringLiteral("counterClockwiseRadio"));
    (settings.RotateDirection == 1 ? m_CounterClockwise : m_Clockwise)->setChecked(true);
    grid->addWidget(m_Clockwise, 1, 1, 1, 2);
    grid->addWidget(m_CounterClockwise, 2, 1, 1, 2);

    m_Quality = new QComboBox;
    m_Quality->setObjectName(QStringLiteral("qualityCombo"));
    m_Quality->addItems({QStringLiteral("Low"), QStringLiteral("Medium (Anti-aliasing)"),
                         QStringLiteral("High (Interpolation)")});
    m_Quality->setCurrentIndex(settings.RotateQuality >= 0 && settings.RotateQuality <= 2 ? settings.RotateQuality : 2);
    auto* qualityLabel = new QLabel(QStringLiteral("Image Quality"));
    qualityLabel->setBuddy(m_Quality);
    grid->addWidget(qualityLabel, 3, 0);
    grid->addWidget(m_Quality, 3, 1, 1, 2);

    fieldsLayout()->addLayout(grid);
    fieldsLayout()->addWidget(makeFillColorGroup(QStringLiteral("Background Fill Color")));
    finishLayout();
}

QString CRotateDialog::checkFields() const
{
    return CheckInteger(m_Angle, 1, 359);
}

COperationDialog::Operation CRotateDialog::operation() const
{
    const int degrees = RotationAngle(m_Angle->value(), m_CounterClockwise->isChecked() ? 1 : 0);
    const int quality = m_Quality->currentIndex();
    const ColorRef fill = m_Settings.BackgroundColor;
    return [=](CEditBmp& bmp) { return bmp.rotate(degrees, quality, fill); };
}

QString CRotateDialog::errorText() const
{
    return QStringLiteral("Error rotating image");
}

void CRotateDialog::storeSettings()
{
    m_Settings.RotateAngle = m_Angle->value();
    m_Settings.RotateDirection = m_CounterClockwise->isChecked() ? 1 : 0;
    m_Settings.RotateQuality = m_Quality->currentIndex();
}
