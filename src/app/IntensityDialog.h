// "Intensity": the intensity (0 to 1000), the offset (0 to 255) and the
// exponent (0.01 to 100) of the value curve.
#pragma once

#include "app/OperationDialog.h"

class CIntensityDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the values last confirmed, from settings.
    CIntensityDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    static QString checkReal(const QLineEdit* field, double low, double high);
    double number(const QLineEdit* field) const;

    QLineEdit* m_Intensity;
    QSpinBox* m_Offset;
    QLineEdit* m_Exponent;
};
