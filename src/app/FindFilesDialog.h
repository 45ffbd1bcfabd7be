// The "Find Files" dialog: a folder and up to four criteria, a search that
// runs beside the dialog and fills the results list as it goes, a preview of
// the chosen result and, on closing, the place the browser may go to.
#pragma once

#include "jobs/FindJob.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class CFindResultsModel;
class CImageLoader;
class CPreviewBox;
class CQueuedJobOwner;
class CSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSpinBox;
struct ImageLoadResult;

// A preview box that decodes the file it is asked for on a worker thread, so
// a large image never holds up its dialog; only the latest request is shown.
class CFilePreview : public QObject {
    Q_OBJECT
public:
    CFilePreview(CPreviewBox* box, QObject* parent);
    ~CFilePreview() override;

    void show(const QString& path);
    void clear();
    bool isBusy() const;

signals:
    // After each show: the image's size, or 0 x 0 when the file cannot be shown.
    void loaded(const QString& path, int width, int height);

private:
    void deliver(uint64_t generation, const std::shared_ptr<ImageLoadResult>& result);

    CPreviewBox* m_Box;
    std::unique_ptr<CImageLoader> m_Loader;
    uint64_t m_Wanted = 0;  // the request still to show; 0 none
};

class CFindFilesDialog : public QDialog {
    Q_OBJECT
public:
    // folder: the browser's folder, the first "Look in:" and the base of a
    // relative one. The "&Go to file" and "&Preview" states come from the
    // settings and go back there on closing.
    CFindFilesDialog(CSettings& settings, const std::string& folder, QWidget* parent = nullptr);
    ~CFindFilesDialog() override;

    // After closing: the chosen result's folder and name (empty name: none).
    const std::string& placeFolder() const { return m_PlaceFolder; }
    const std::string& placeName() const { return m_PlaceName; }
    bool goToFile() const;

    // For tests and the window: the search in progress, the results so far.
    bool isSearching() const { return m_Searching; }
    QStringList results() const;
    QString statusText() const;
    const CFindJob& job() const { return m_Job; }

public slots:
    void findNow();
    void stopSearch();
    void reject() override;

private:
    // The criteria as the fields give them; false with the message shown
    // when the folder is missing.
    bool readCriteria(FindCriteria& criteria);
    void onFound(const QStringList& paths);
    void onFinished();
    void onResultChosen();
    void updateEnabling();
    void browse();
    // Ends the search in progress and waits up to polls × 100 ms (-1: without limit).
    void endSearch(int polls);

    CSettings& m_Settings;
    std::string m_Folder;
    std::string m_PlaceFolder, m_PlaceName;
    bool m_Searching = false;

    QLineEdit* m_Name;
    QLineEdit* m_Extension;
    QLineEdit* m_LookIn;
    QCheckBox* m_SizeOn;
    QSpinBox* m_Size;
    QComboBox* m_Relation;
    QComboBox* m_Unit;
    QCheckBox* m_DateOn;
    QSpinBox* m_Date[6];  // day, month, year; day, month, year
    QLabel* m_Status;
    QListView* m_List;
    CFindResultsModel* m_Model;
    QCheckBox* m_GoToFile;
    QCheckBox* m_Preview;
    CPreviewBox* m_PreviewBox;
    CFilePreview* m_FilePreview;
    QPushButton* m_FindNow;
    QPushButton* m_Stop;
    QPushButton* m_Close;

    // Each search gets a fresh owner, so reports still queued from a search
    // that was stopped never reach the next one's list. The owner outlives
    // the job's thread: the job goes first (its destructor joins).
    std::unique_ptr<CQueuedJobOwner> m_Owner;
    CFindJob m_Job;
};
