// "Add Borders / Crop By Value": grows or shrinks the canvas by amounts in the
// length unit on the sides the orientations name.
#pragma once

#include "app/OperationDialog.h"

class QComboBox;
class QRadioButton;

class CBordersDialog : public COperationDialog {
    Q_OBJECT
public:
    // The amounts start at 0; the orientations, the operation and the unit
    // come from settings.
    CBordersDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

    static constexpr double kMaximum = 5000;

protected:
    QString checkFields() const override;
    // "Can't crop image." when a crop would leave less than nothing.
    QString refusal() const override;
    void storeSettings() override;

private:
    QLineEdit* m_Horizontal;
    QLineEdit* m_Vertical;
    QComboBox* m_HorizontalOrientation;
    QComboBox* m_VerticalOrientation;
    QRadioButton* m_Crop;
    QRadioButton* m_AddBorders;
    int m_Unit;
};
