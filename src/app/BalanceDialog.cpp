#include "app/BalanceDialog.h"

#include "app/ColorDialogFields.h"
#include "settings/Settings.h"

#include <QBoxLayout>

using namespace ColorDialogFields;

CBalanceDialog::CBalanceDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Color Balance"));
    m_Red = IntegerEdit("redEdit", settings.ColorBalanceRed);
    m_Green = IntegerEdit("greenEdit", settings.ColorBalanceGreen);
    m_Blue = IntegerEdit("blueEdit", settings.ColorBalanceBlue);
    auto* grid = new QGridLayout;
    AddRow(grid, QStringLiteral("Red:"), m_Red);
    AddRow(grid, QStringLiteral("Green:"), m_Green);
    AddRow(grid, QStringLiteral("Blue:"), m_Blue);
    fieldsLayout()->addLayout(grid);
    fieldsLayout()->addWidget(new QLabel(QStringLiteral("Values between -100 and +100")));
    finishLayout();
}

QString CBalanceDialog::checkFields() const
{
    for (const QSpinBox* field : {m_Red, m_Green, m_Blue})
        if (QString message = CheckInteger(field, -100, 100); !message.isEmpty())
            return message;
    return {};
}

COperationDialog::Operation CBalanceDialog::operation() const
{
    const int red = m_Red->value(), green = m_Green->value(), blue = m_Blue->value();
    return [=](CEditBmp& bmp) {
        bmp.colourBalance(red, green, blue);
        return false;
    };
}

QString CBalanceDialog::errorText() const
{
    return QStringLiteral("Error adjusting color balance");
}

void CBalanceDialog::storeSettings()
{
    m_Settings.ColorBalanceRed = m_Red->value();
    m_Settings.ColorBalanceGreen = m_Green->value();
    m_Settings.ColorBalanceBlue = m_Blue->value();
}
