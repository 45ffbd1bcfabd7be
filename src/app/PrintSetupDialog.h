// "Print Setup": placement, margins, captions and print size, with lengths in
// the length unit of the options. OK checks the fields (negative margins,
// sizes below one print unit are refused with a message) and stores them.
#pragma once

#include "view/PrintLayout.h"

#include <QDialog>

class CSettings;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

class CPrintSetupDialog : public QDialog {
    Q_OBJECT
public:
    // imageWidth x imageHeight: the shown image (0 x 0 without one), where
    // the custom size starts when none has been chosen before.
    CPrintSetupDialog(CSettings& settings, int imageWidth, int imageHeight, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    QLineEdit* addLength(class QGridLayout* grid, int row, int column, const QString& label, const char* name,
                         int units);
    void sizeChosen();
    void widthEdited();
    void heightEdited();
    // The edits into the size pair of the choice they show; false when they
    // do not hold a size (the pair is kept then).
    bool takeSizeEdits(int choice);
    void showSizeEdits();
    void enableFields();
    int sizeChoice() const;
    // The first field that is not a length within low..high print units,
    // with its message; nullptr when all are.
    QLineEdit* checkLength(QLineEdit* edit, int low, int high, QString& message) const;

    CSettings& m_Settings;
    PrintSetup m_Setup;
    int m_Unit;
    int m_Shown = -1;  // the size choice the edits show (-1: none)
    int m_Pair[4][2] = {};  // width and height per choice; used for Custom and Thumbnails
    QRadioButton* m_Vertical[3];
    QRadioButton* m_Horizontal[3];
    QLineEdit* m_Margin[4];  // left, top, right, bottom
    QCheckBox* m_Path;
    QCheckBox* m_Name;
    QCheckBox* m_Dimensions;
    QCheckBox* m_FileSize;
    QComboBox* m_Alignment;
    QComboBox* m_Position;
    QRadioButton* m_Size[4];
    QLineEdit* m_Width;
    QLineEdit* m_Height;
    QCheckBox* m_Constrain;
    QComboBox* m_Source;
};
