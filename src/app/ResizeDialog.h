// "Resize": the new width and height in the length unit, optionally keeping
// the proportions of the image. No preview.
#pragma once

#include "app/OperationDialog.h"

class CSizeFields;
class QCheckBox;

class CResizeDialog : public COperationDialog {
    Q_OBJECT
public:
    // The unit and "&Constrain proportions" come from settings.
    CResizeDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

    // The sizes the fields allow, in the unit (the dialog's own limits; the
    // operation refuses results below a pixel or beyond the memory cap).
    static constexpr double kMinimum = 0.0001;
    static constexpr double kMaximum = 1000000;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    void widthEdited();
    void heightEdited();

    CSizeFields* m_Size;
    QCheckBox* m_Constrain;
};
