// The options dialogs of the save formats (JPEG, PNG/GIF, TIFF, TGA/RAS,
// PCX/BMP, PICT, DDS): filled from the remembered options, and writing them
// back only when closed with OK.
#pragma once

#include "save/SaveImage.h"

#include <QDialog>

class CSettings;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSlider;

class CSaveOptionsDialog : public QDialog {
    Q_OBJECT
public:
    CSaveOptionsDialog(SaveDialog kind, CSettings& settings, QWidget* parent = nullptr);

    // The title a kind shows ("GIF Options" uses the PNG layout).
    static QString Title(SaveDialog kind);

public slots:
    void accept() override;

private:
    QCheckBox* addCheck(const QString& text, const char* name, int32_t value);
    QButtonGroup* addRadios(const QString& title, const QStringList& texts, const char* name, int index);
    QSlider* addSlider(const QString& title, const char* name, int value, bool endLabels);

    SaveDialog m_Kind;
    CSettings& m_Settings;
    QSlider* m_Quality = nullptr;
    QSlider* m_Smoothing = nullptr;
    QCheckBox* m_Progressive = nullptr;
    QCheckBox* m_Huffman = nullptr;
    QCheckBox* m_Flag = nullptr;  // Interlaced or RLE compressed
    QButtonGroup* m_Radios = nullptr;
    QComboBox* m_DdsFormat = nullptr;
    QCheckBox* m_MipMaps = nullptr;
    QCheckBox* m_Flip = nullptr;
    class QVBoxLayout* m_Layout = nullptr;
};

// Shows the dialog of a format; true on OK (the values are stored).
bool ShowSaveOptions(SaveDialog kind, CSettings& settings, QWidget* parent);

// DdsFormat stores the code 2, 4 or 6; the list shows the index 0, 1, 2
// (any other code shows as 0).
int DdsIndexOfCode(int code);
int DdsCodeOfIndex(int index);
