// The "Options" dialog: the program's options on the pages "Browser",
// "Filing", "Slide Show", "Viewer" and "Misc", filled from the settings. It
// changes nothing by itself: on OK the caller stores the values shown.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

class CSettings;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTabWidget;

class COptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit COptionsDialog(const CSettings& settings, QWidget* parent = nullptr);

    // The values shown, into the settings; every other value stays.
    void store(CSettings& settings) const;

    // The text beside the delay slider: "no delay", "1 second", "N seconds".
    static QString DelayText(int seconds);

    QTabWidget* pages() const { return m_Pages; }

private:
    using Member = int32_t CSettings::*;

    QWidget* browserPage();
    QWidget* filingPage();
    QWidget* slideShowPage();
    QWidget* viewerPage();
    QWidget* miscPage();

    // A check box, radio group or drop-down list bound to one value.
    QCheckBox* flag(const char* text, Member value);
    QGroupBox* choice(const char* title, const QStringList& texts, Member value);
    QComboBox* list(const QStringList& items, Member value);
    void browseHome();

    struct FlagBinding {
        QCheckBox* Box;
        Member Value;
    };
    struct ChoiceBinding {
        QButtonGroup* Group;
        Member Value;
    };
    struct ListBinding {
        QComboBox* Box;
        Member Value;
    };

    const CSettings& m_Settings;
    QTabWidget* m_Pages = nullptr;
    std::vector<FlagBinding> m_Flags;
    std::vector<ChoiceBinding> m_Choices;
    std::vector<ListBinding> m_Lists;
    QSlider* m_Delay = nullptr;
    QLabel* m_DelayText = nullptr;
    QLineEdit* m_Home = nullptr;
    // The home folder as the system's bytes, kept while its text is not edited:
    // a folder name need not be valid UTF-8.
    std::string m_HomeBytes;
};
