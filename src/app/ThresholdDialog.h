// "Threshold" and "Solarize": one level from 0 to 255, remembered per command.
#pragma once

#include "app/OperationDialog.h"

class CThresholdDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the level last confirmed, from settings.
    CThresholdDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    QSpinBox* m_Level;
};

class CSolarizeDlg : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the threshold last confirmed, from settings.
    CSolarizeDlg(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    QSpinBox* m_Threshold;
};
