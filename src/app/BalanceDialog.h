// "Color Balance": brightness per channel, each from -100 to 100.
#pragma once

#include "app/OperationDialog.h"

class CBalanceDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the values last confirmed, from settings.
    CBalanceDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    QSpinBox* m_Red;
    QSpinBox* m_Green;
    QSpinBox* m_Blue;
};
