// The "Convert" dialog: destination format, whether the originals go, and
// what happens to a target that exists already. The settings change on OK only.
#pragma once

#include <QDialog>

class CSettings;
class QButtonGroup;
class QCheckBox;
class QComboBox;

class CConvertDialog : public QDialog {
    Q_OBJECT
public:
    CConvertDialog(CSettings& settings, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    CSettings& m_Settings;
    QComboBox* m_Format;
    QCheckBox* m_Replace;
    QButtonGroup* m_Overwrite;
};
