#include "app/IntensityDialog.h"

#include "app/ColorDialogFields.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QLineEdit>

using namespace ColorDialogFields;

namespace {

QLineEdit* NumberEdit(const char* name, double value)
{
    auto* edit = new QLineEdit(QString::number(value, 'g', 15));
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

QString CIntensityDialog::checkReal(const QLineEdit* field, double low, double high)
{
    double value = 0;
    if (!ReadNumber(field, value))
        return QStringLiteral("Please enter a number.");
    if (value >= low && value <= high)
        return {};
    // As the numbers are written, "0.01" rather than with fixed decimals.
    return QStringLiteral("Please enter a number between %1 and %2.").arg(low).arg(high);
}

CIntensityDialog::CIntensityDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Intensity"));
    m_Intensity = NumberEdit("intensityEdit", settings.IntensityIntensity);
    m_Offset = IntegerEdit("offsetEdit", settings.IntensityOffset);
    m_Exponent = NumberEdit("exponentEdit", settings.IntensityExponent);
    auto* grid = new QGridLayout;
    AddRow(grid, QStringLiteral("Intensity"), m_Intensity);
    AddRow(grid, QStringLiteral("Offset"), m_Offset);
    AddRow(grid, QStringLiteral("Exponent"), m_Exponent);
    fieldsLayout()->addLayout(grid);
    finishLayout();
}

QString CIntensityDialog::checkFields() const
{
    if (QString message = checkReal(m_Intensity, 0, 1000); !message.isEmpty())
        return message;
    if (QString message = CheckInteger(m_Offset, 0, 255); !message.isEmpty())
        return message;
    return checkReal(m_Exponent, 0.01, 100);
}

double CIntensityDialog::number(const QLineEdit* field) const
{
    double value = 0;
    ReadNumber(field, value);
    return value;
}

COperationDialog::Operation CIntensityDialog::operation() const
{
    const double intensity = number(m_Intensity), exponent = number(m_Exponent);
    const int offset = m_Offset->value();
    return [=](CEditBmp& bmp) {
        bmp.intensity(intensity, offset, exponent);
        return false;
    };
}

QString CIntensityDialog::errorText() const
{
    return QStringLiteral("Error adjusting color balance");
}

void CIntensityDialog::storeSettings()
{
    m_Settings.IntensityIntensity = number(m_Intensity);
    m_Settings.IntensityOffset = m_Offset->value();
    m_Settings.IntensityExponent = number(m_Exponent);
}
