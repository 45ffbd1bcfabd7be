// "NormalMap Filter": the method that makes a height of each pixel and the
// height scale factor.
#pragma once

#include "app/OperationDialog.h"

class QLineEdit;
class QRadioButton;

class CNormalMapDialog : public COperationDialog {
    Q_OBJECT
public:
    // Starts with the values last confirmed, from settings.
    CNormalMapDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    int method() const;
    double scale() const;

    QRadioButton* m_Methods[9];
    QLineEdit* m_Scale;
};
