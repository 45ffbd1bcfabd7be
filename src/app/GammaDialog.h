// The one dialog of Gamma, Brightness and Contrast: a value from -100 to 100
// that starts at 0 every time; only the title and the operation differ.
#pragma once

#include "app/OperationDialog.h"

class CLevelDialog : public COperationDialog {
    Q_OBJECT
public:
    QString errorText() const override;

protected:
    CLevelDialog(const CWinBmp& image, CSettings& settings, QWidget* parent, const QString& title,
                 const char* error);
    QString checkFields() const override;
    // Nothing is remembered.
    void storeSettings() override {}
    int value() const;

private:
    QSpinBox* m_Value;
    const char* m_Error;
};

class CGammaDialog : public CLevelDialog {
    Q_OBJECT
public:
    CGammaDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);
    Operation operation() const override;
};

class CBrightnessDialog : public CLevelDialog {
    Q_OBJECT
public:
    CBrightnessDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);
    Operation operation() const override;
};

class CContrastDialog : public CLevelDialog {
    Q_OBJECT
public:
    static const char* const kTextTooManyColors;

    CContrastDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);
    Operation operation() const override;

protected:
    // An image with too many distinct colours has no contrast to adjust.
    QString refusal() const override;
};
