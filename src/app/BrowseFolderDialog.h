// "Browse": picks a folder. A drop-down of the drives (the volume roots), the
// subfolders of the folder shown (double click enters, ".." goes up) and a
// line with its path; OK takes the folder shown. The process's current folder
// is never changed.
#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

class CBrowseFolderDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNotReady = "The device is not ready.";

    CBrowseFolderDialog(const std::string& start, bool showHidden, QWidget* parent = nullptr);

    // The folder shown.
    const std::string& folder() const { return m_Current; }
    // Shows the folder; false (nothing changed) when it cannot be read.
    bool enter(const std::string& path);

private:
    void driveChosen(int index);
    void itemActivated(QListWidgetItem* item);
    void selectDriveOf(const std::string& path);

    QComboBox* m_Drives;
    QListWidget* m_Folders;
    QLabel* m_Path;
    std::string m_Current;
    bool m_ShowHidden;
    int m_DriveIndex = -1;
};
