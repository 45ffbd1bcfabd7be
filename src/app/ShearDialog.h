// "Shear": a whole angle below a right angle, the corner that moves and the
// fill colour.
#pragma once

#include "app/OperationDialog.h"

class QCheckBox;
class QRadioButton;

class CShearDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the values last confirmed, from settings.
    CShearDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    QSpinBox* m_Angle;
    QCheckBox* m_AntiAlias;
    QRadioButton* m_UpLeft;
    QRadioButton* m_DownLeft;
};
