// The two "Compare Directories" dialogs: the settings (destination folder and
// criteria) and the results, where the comparison runs beside the dialog and
// the files both folders have in common are listed side by side.
#pragma once

#include "jobs/CompareJob.h"

#include <QDialog>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class CFilePreview;
class CPreviewBox;
class CQueuedJobOwner;
class CSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// Whether two paths name the same folder (device and inode, links followed);
// false when either cannot be read.
bool SameFolder(const std::string& first, const std::string& second);

class CCompareSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNoDestination = "No destination directory selected.";
    static constexpr const char* kSameFolder = "You must select another directory.";

    // source: the browser's folder; destination: the edit's first text. The
    // criteria change in the settings on OK only.
    CCompareSettingsDialog(CSettings& settings, const std::string& source, const std::string& destination,
                           QWidget* parent = nullptr);

    // After OK: the destination folder, absolute.
    const std::string& destination() const { return m_Destination; }

public slots:
    void accept() override;

private:
    void browse();

    CSettings& m_Settings;
    std::string m_Source;
    std::string m_Destination;
    QCheckBox* m_ByName;
    QCheckBox* m_ByExtension;
    QCheckBox* m_BySize;
    QCheckBox* m_ByDate;
    QCheckBox* m_CaseSensitive;
    QComboBox* m_Extension;
    QLineEdit* m_DestinationEdit;
};

class CCompareResultsDialog : public QDialog {
    Q_OBJECT
public:
    // The results besides Accepted and Rejected.
    enum Result { kNew = 1001, kGoToSource = 1002, kGoToDestination = 1003, kNothingToCompare = 10000 };

    // Criteria, extension, preview states and "Use recycle bin" come from the
    // settings; the preview states go back there on closing.
    CCompareResultsDialog(CSettings& settings, const std::string& source, const std::string& destination,
                          QWidget* parent = nullptr);
    ~CCompareResultsDialog() override;

    // With kGoToSource or kGoToDestination: the names of that side's rows.
    const std::vector<std::string>& names() const { return m_Names; }

    // For tests: the comparison in progress, the rows, the texts.
    bool isRunning() const { return m_Running; }
    QTreeWidget* list(int side) const { return m_Side[side].List; }
    QString countText(int side) const;
    QString statusText() const;
    const CCompareJob& job() const { return m_Job; }

public slots:
    void accept() override;
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Side {
        std::string Folder;
        std::vector<CompareRow> Rows;  // as the list shows them
        QTreeWidget* List = nullptr;
        QLabel* Count = nullptr;
        QLabel* ImageSize = nullptr;
        QCheckBox* Preview = nullptr;
        CPreviewBox* Box = nullptr;
        CFilePreview* Loader = nullptr;
        QPushButton* GoTo = nullptr;
        QPushButton* Delete = nullptr;
    };

    QWidget* buildSide(int side, const QString& goToText, const QString& remove, const QString& preview);
    void start();
    void onFinished();
    void fill(int side, const std::vector<CompareRow>& rows);
    void updateCount(int side);
    void rowChosen(int side);
    void previewLoaded(int side, const QString& path, int width, int height);
    void deleteRow(int side);
    void goTo(int side);
    void stopJob();
    std::string pathOf(int side, const CompareRow& row) const;

    CSettings& m_Settings;
    Side m_Side[2];
    std::vector<std::string> m_Names;
    bool m_Started = false;
    bool m_Running = false;
    bool m_Ended = false;
    QLabel* m_Status;
    QPushButton* m_New;
    QPushButton* m_Ok;

    std::unique_ptr<CQueuedJobOwner> m_Owner;  // outlives the job's thread
    CCompareJob m_Job;
};
