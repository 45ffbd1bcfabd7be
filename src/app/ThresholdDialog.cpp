#include "app/ThresholdDialog.h"

#include "app/ColorDialogFields.h"
#include "settings/Settings.h"

#include <QBoxLayout>

using namespace ColorDialogFields;

namespace {

QSpinBox* LevelRow(QBoxLayout* fields, const char* name, const QString& label, int value)
{
    QSpinBox* edit = IntegerEdit(name, value);
    auto* grid = new QGridLayout;
    AddRow(grid, label, edit);
    fields->addLayout(grid);
    return edit;
}

} // namespace

CThresholdDialog::CThresholdDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Threshold"));
    m_Level = LevelRow(fieldsLayout(), "levelEdit", QStringLiteral("Threshold level"), settings.ThresholdLevel);
    finishLayout();
}

QString CThresholdDialog::checkFields() const
{
    return CheckInteger(m_Level, 0, 255);
}

COperationDialog::Operation CThresholdDialog::operation() const
{
    const int level = m_Level->value();
    return [level](CEditBmp& bmp) {
        bmp.threshold(level);
        return false;
    };
}

QString CThresholdDialog::errorText() const
{
    return QStringLiteral("Error adjusting color balance");
}

void CThresholdDialog::storeSettings()
{
    m_Settings.ThresholdLevel = m_Level->value();
}

CSolarizeDlg::CSolarizeDlg(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Solarize"));
    m_Threshold = LevelRow(fieldsLayout(), "thresholdEdit", QStringLiteral("Threshold [0 .. 255]"),
                           settings.SolarizeThreshold);
    finishLayout();
}

QString CSolarizeDlg::checkFields() const
{
    return CheckInteger(m_Threshold, 0, 255);
}

COperationDialog::Operation CSolarizeDlg::operation() const
{
    const int threshold = m_Threshold->value();
    return [threshold](CEditBmp& bmp) {
        bmp.solarize(threshold);
        return false;
    };
}

QString CSolarizeDlg::errorText() const
{
    return QStringLiteral("Error adjusting color balance");
}

void CSolarizeDlg::storeSettings()
{
    m_Settings.SolarizeThreshold = m_Threshold->value();
}
