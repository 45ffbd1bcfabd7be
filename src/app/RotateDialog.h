// "Rotate": a whole angle, its direction, the quality and the fill colour.
#pragma once

#include "app/OperationDialog.h"

class QComboBox;
class QRadioButton;

class CRotateDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the values last confirmed, from settings.
    CRotateDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    QSpinBox* m_Angle;
    QRadioButton* m_Clockwise;
    QRadioButton* m_CounterClockwise;
    QComboBox* m_Quality;
};
