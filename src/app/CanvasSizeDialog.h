// "Canvas Size": a new canvas in the length unit with the image placed at one
// of nine anchors; margins get the fill colour.
#pragma once

#include "app/OperationDialog.h"

class CSizeFields;
class QButtonGroup;

class CCanvasSizeDialog : public COperationDialog {
    Q_OBJECT
public:
    // The unit and the anchor come from settings.
    CCanvasSizeDialog(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr);

    Operation operation() const override;
    QString errorText() const override;

    static constexpr double kMinimum = 0.0001;
    static constexpr double kMaximum = 10000;

protected:
    QString checkFields() const override;
    void storeSettings() override;

private:
    CSizeFields* m_Size;
    // Button ids are the anchor values.
    QButtonGroup* m_Anchor;
};
