#include "app/SizeFields.h"

#include "browser/NumberFormat.h"
#include "ops/Units.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QString LengthWithUnit(int pixels, int unit)
{
    return QString::fromStdString(FormatNumber(PixelsToUnit(pixels, unit), 4) + " " + UnitName(unit));
}

int64_t EditToPixels(const QLineEdit* edit, int unit)
{
    return UnitToPixels(edit->text().trimmed().toDouble(), unit);
}

} // namespace

CSizeFields::CSizeFields(int width, int height, int unit, QWidget* parent) : QWidget(parent), m_Unit(unit)
{
    const QString unitName = QString::fromLatin1(UnitName(unit));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Current size")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("New size")), 0, 2);

    auto* currentWidth = new QLabel(LengthWithUnit(width, unit));
    currentWidth->setObjectName(QStringLiteral("currentWidthText"));
    auto* currentHeight = new QLabel(LengthWithUnit(height, unit));
    currentHeight->setObjectName(QStringLiteral("currentHeightText"));

    // Shown with 4 decimals in every unit, so that OK on an untouched dialog
    // comes back to the same pixels (the conversion rounds).
    m_NewWidth = new QLineEdit(QString::fromStdString(FormatNumber(PixelsToUnit(width, unit), 4)));
    m_NewWidth->setObjectName(QStringLiteral("widthEdit"));
    m_NewHeight = new QLineEdit(QString::fromStdString(FormatNumber(PixelsToUnit(height, unit), 4)));
    m_NewHeight->setObjectName(QStringLiteral("heightEdit"));
    for (QLineEdit* edit : {m_NewWidth, m_NewHeight})
        edit->setMaximumWidth(110);

    auto* widthLabel = new QLabel(QStringLiteral("&Width:"));
    widthLabel->setBuddy(m_NewWidth);
    auto* heightLabel = new QLabel(QStringLiteral("&Height:"));
    heightLabel->setBuddy(m_NewHeight);
    auto* widthUnit = new QLabel(unitName);
    widthUnit->setObjectName(QStringLiteral("widthUnitText"));
    auto* heightUnit = new QLabel(unitName);
    heightUnit->setObjectName(QStringLiteral("heightUnitText"));

    grid->addWidget(widthLabel, 1, 0);
    grid->addWidget(currentWidth, 1, 1);
    grid->addWidget(m_NewWidth, 1, 2);
    grid->addWidget(widthUnit, 1, 3);
    grid->addWidget(heightLabel, 2, 0);
    grid->addWidget(currentHeight, 2, 1);
    grid->addWidget(m_NewHeight, 2, 2);
    grid->addWidget(heightUnit, 2, 3);
    grid->setColumnMinimumWidth(1, 110);
}

int64_t CSizeFields::newWidth() const
{
    return EditToPixels(m_NewWidth, m_Unit);
}

int64_t CSizeFields::newHeight() const
{
    return EditToPixels(m_NewHeight, m_Unit);
}
