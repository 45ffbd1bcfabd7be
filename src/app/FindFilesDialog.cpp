#include "app/FindFilesDialog.h"

#include "app/BrowseFolderDialog.h"
#include "app/MessageBox.h"
#include "app/PreviewBox.h"
#include "app/QueuedJobOwner.h"
#include "browser/Navigator.h"
#include "platform/Directory.h"
#include "settings/Settings.h"
#include "view/ImageLoader.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <vector>

// CFilePreview

CFilePreview::CFilePreview(CPreviewBox* box, QObject* parent) : QObject(parent), m_Box(box)
{
    m_Loader = std::make_unique<CImageLoader>([this](uint64_t generation, std::shared_ptr<ImageLoadResult> result) {
        // On the loader's thread: hand over to this one's.
        QMetaObject::invokeMethod(
            this, [this, generation, result = std::move(result)] { deliver(generation, result); },
            Qt::QueuedConnection);
    });
}

CFilePreview::~CFilePreview()
{
    // Joins the decoder before this object goes; what it queued is dropped with it.
    m_Loader.reset();
}

void CFilePreview::show(const QString& path)
{
    m_Wanted = m_Loader->Request(path.toStdString());
}

void CFilePreview::clear()
{
    m_Wanted = 0;
    m_Loader->Cancel();
    m_Box->clear();
}

bool CFilePreview::isBusy() const
{
    return m_Wanted != 0;
}

void CFilePreview::deliver(uint64_t generation, const std::shared_ptr<ImageLoadResult>& result)
{
    if (generation != m_Wanted)
        return;
    m_Wanted = 0;
    if (!result || !result->Image) {
        m_Box->clear();
        emit loaded(result ? QString::fromStdString(result->Path) : QString(), 0, 0);
        return;
    }
    m_Box->setImage(*result->Image);
    emit loaded(QString::fromStdString(result->Path), result->Image->Width, result->Image->Height);
}

// The results list: appended a batch at a time, so a search with a hundred
// thousand results costs one row insertion per batch, not per path.
class CFindResultsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_Paths.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= static_cast<int>(m_Paths.size()) || role != Qt::DisplayRole)
            return {};
        return m_Paths[static_cast<size_t>(index.row())];
    }
    void append(const QStringList& paths)
    {
        if (paths.isEmpty())
            return;
        const int first = static_cast<int>(m_Paths.size());
        beginInsertRows({}, first, first + static_cast<int>(paths.size()) - 1);
        m_Paths.insert(m_Paths.end(), paths.begin(), paths.end());
        endInsertRows();
    }
    void clear()
    {
        beginResetModel();
        m_Paths.clear();
        m_Paths.shrink_to_fit();
        endResetModel();
    }
    const std::vector<QString>& paths() const { return m_Paths; }

private:
    std::vector<QString> m_Paths;
};

namespace {

QSpinBox* NumberField(int low, int high, int value, const char* name)
{
    auto* field = new QSpinBox;
    field->setRange(low, high);
    field->setValue(value);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

// The extension field as a pattern: "*.*" for any, else "*." and the
// extension, whether the user typed "jpg", ".jpg" or "*.jpg".
std::string ExtensionPattern(QString text)
{
    text = text.trimmed();
    if (text.isEmpty() || text == QStringLiteral("*") || text == QStringLiteral("*.*"))
        return "*.*";
    if (text.startsWith(QStringLiteral("*.")))
        return text.toStdString();
    if (text.startsWith(QLatin1Char('.')))
        return (QStringLiteral("*") + text).toStdString();
    return (QStringLiteral("*.") + text).toStdString();
}

} // namespace

// CFindFilesDialog

CFindFilesDialog::CFindFilesDialog(CSettings& settings, const std::string& folder, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Folder(folder)
{
    setWindowTitle(QStringLiteral("Find Files"));
    auto* layout = new QVBoxLayout(this);

    auto* criteria = new QGroupBox(QStringLiteral("Search criteria"));
    auto* grid = new QGridLayout(criteria);
    m_Name = new QLineEdit;
    m_Name->setObjectName(QStringLiteral("name"));
    m_Extension = new QLineEdit(QStringLiteral("*.*"));
    m_Extension->setObjectName(QStringLiteral("extension"));
    m_LookIn = new QLineEdit(QString::fromStdString(folder));
    m_LookIn->setObjectName(QStringLiteral("lookIn"));
    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &CFindFilesDialog::browse);
    grid->addWidget(new QLabel(QStringLiteral("File name:")), 0, 0);
    grid->addWidget(m_Name, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("File extension:")), 1, 0);
    grid->addWidget(m_Extension, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Look in:")), 2, 0);
    grid->addWidget(m_LookIn, 2, 1, 1, 2);
    grid->addWidget(browseButton, 2, 3);

    m_SizeOn = new QCheckBox(QStringLiteral("File &size:"));
    m_SizeOn->setObjectName(QStringLiteral("sizeOn"));
    m_Size = NumberField(0, 999999999, 0, "size");
    m_Relation = new QComboBox;
    m_Relation->setObjectName(QStringLiteral("relation"));
    m_Relation->addItems({QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">")});
    m_Unit = new QComboBox;
    m_Unit->setObjectName(QStringLiteral("unit"));
    m_Unit->addItems({QStringLiteral("bytes"), QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB")});
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_Relation);
    sizeRow->addWidget(m_Size, 1);
    sizeRow->addWidget(m_Unit);
    grid->addWidget(m_SizeOn, 3, 0);
    grid->addLayout(sizeRow, 3, 1, 1, 3);

    m_DateOn = new QCheckBox(QStringLiteral("&Date between:"));
    m_DateOn->setObjectName(QStringLiteral("dateOn"));
    // From the first of this month to tomorrow: today's files are inside.
    const QDate today = QDate::currentDate();
    const QDate tomorrow = today.addDays(1);
    const char* names[6] = {"fromDay", "fromMonth", "fromYear", "toDay", "toMonth", "toYear"};
    const int values[6] = {1, today.month(), today.year(), tomorrow.day(), tomorrow.month(), tomorrow.year()};
    auto* dateRow = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        const int field = i % 3;
        m_Date[i] = NumberField(field == 0 ? 1 : field == 1 ? 1 : 1970, field == 0 ? 31 : field == 1 ? 12 : 9999,
                                values[i], names[i]);
        if (i == 3)
            dateRow->addWidget(new QLabel(QStringLiteral("and")));
        dateRow->addWidget(m_Date[i]);
    }
    dateRow->addStretch(1);
    grid->addWidget(m_DateOn, 4, 0);
    grid->addLayout(dateRow, 4, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    layout->addWidget(criteria);

    auto* results = new QGroupBox(QStringLiteral("Search results"));
    auto* resultColumn = new QVBoxLayout(results);
    m_Status = new QLabel;
    m_Status->setObjectName(QStringLiteral("status"));
    resultColumn->addWidget(m_Status);
    auto* resultRow = new QHBoxLayout;
    m_Model = new CFindResultsModel(this);
    m_List = new QListView;
    m_List->setObjectName(QStringLiteral("results"));
    m_List->setModel(m_Model);
    m_List->setUniformItemSizes(true);
    m_List->setSelectionMode(QAbstractItemView::SingleSelection);
    m_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_List->setMinimumWidth(360);
    resultRow->addWidget(m_List, 1);
    auto* previewColumn = new QVBoxLayout;
    m_GoToFile = new QCheckBox(QStringLiteral("&Go to file"));
    m_GoToFile->setObjectName(QStringLiteral("goToFile"));
    m_GoToFile->setChecked(settings.FindGoToFile != 0);
    m_Preview = new QCheckBox(QStringLiteral("&Preview"));
    m_Preview->setObjectName(QStringLiteral("preview"));
    m_Preview->setChecked(settings.FindPreview != 0);
    m_PreviewBox = new CPreviewBox;
    m_FilePreview = new CFilePreview(m_PreviewBox, this);
    previewColumn->addWidget(m_GoToFile);
    previewColumn->addWidget(m_Preview);
    previewColumn->addWidget(m_PreviewBox);
    previewColumn->addStretch(1);
    resultRow->addLayout(previewColumn);
    resultColumn->addLayout(resultRow, 1);
    layout->addWidget(results, 1);

    auto* buttons = new QHBoxLayout;
    m_FindNow = new QPushButton(QStringLiteral("&Find Now"));
    m_FindNow->setObjectName(QStringLiteral("findNow"));
    m_FindNow->setDefault(true);
    m_Stop = new QPushButton(QStringLiteral("&Stop"));
    m_Stop->setObjectName(QStringLiteral("stop"));
    m_Stop->setAutoDefault(false);
    m_Close = new QPushButton(QStringLiteral("&Close"));
    m_Close->setObjectName(QStringLiteral("close"));
    m_Close->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(m_FindNow);
    buttons->addWidget(m_Stop);
    buttons->addWidget(m_Close);
    layout->addLayout(buttons);

    connect(m_FindNow, &QPushButton::clicked, this, &CFindFilesDialog::findNow);
    connect(m_Stop, &QPushButton::clicked, this, &CFindFilesDialog::stopSearch);
    connect(m_Close, &QPushButton::clicked, this, &CFindFilesDialog::reject);
    connect(m_SizeOn, &QCheckBox::toggled, this, &CFindFilesDialog::updateEnabling);
    connect(m_DateOn, &QCheckBox::toggled, this, &CFindFilesDialog::updateEnabling);
    connect(m_List->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CFindFilesDialog::onResultChosen);
    connect(m_Preview, &QCheckBox::toggled, this, &CFindFilesDialog::onResultChosen);
    updateEnabling();
}

CFindFilesDialog::~CFindFilesDialog()
{
    // The job's destructor ends and joins its thread before the owner goes.
}

bool CFindFilesDialog::goToFile() const
{
    return m_GoToFile->isChecked();
}

QStringList CFindFilesDialog::results() const
{
    QStringList list;
    for (const QString& path : m_Model->paths())
        list << path;
    return list;
}

QString CFindFilesDialog::statusText() const
{
    return m_Status->text();
}

void CFindFilesDialog::updateEnabling()
{
    const bool size = m_SizeOn->isChecked();
    m_Size->setEnabled(size);
    m_Relation->setEnabled(size);
    m_Unit->setEnabled(size);
    for (QSpinBox* field : m_Date)
        field->setEnabled(m_DateOn->isChecked());
    m_FindNow->setEnabled(!m_Searching);
    m_Stop->setEnabled(m_Searching);
}

void CFindFilesDialog::browse()
{
    std::string start = m_LookIn->text().trimmed().toStdString();
    if (start.empty() || start.front() != '/' || !IsFolder(start))
        start = m_Folder;
    CBrowseFolderDialog picker(start, m_Settings.ShowHiddenFiles != 0, this);
    if (picker.exec() == QDialog::Accepted)
        m_LookIn->setText(QString::fromStdString(picker.folder()));
}

bool CFindFilesDialog::readCriteria(FindCriteria& criteria)
{
    std::string root = m_LookIn->text().trimmed().toStdString();
    // A relative folder is taken from the browser's folder, never from the
    // process's current one.
    if (!root.empty() && root.front() != '/')
        root = m_Folder + "/" + root;
    if (!root.empty())
        root = AbsoluteNormalPath(root);
    // The folder searched is the one checked here.
    if (root.empty() || !IsFolder(root)) {
        MessageBox::Error(this, QStringLiteral("Folder not exist."));
        return false;
    }
    criteria.Root = root;
    criteria.Name = m_Name->text().toStdString();
    criteria.ExtensionPattern = ExtensionPattern(m_Extension->text());
    if (m_SizeOn->isChecked()) {
        criteria.Relation = static_cast<SizeRelation>(m_Relation->currentIndex());
        criteria.Size = FindSizeBytes(m_Size->value(), m_Unit->currentIndex());
    }
    if (m_DateOn->isChecked()) {
        // A date out of range turns the date criterion off, without a message.
        criteria.DateOn = FindDateBound(m_Date[0]->value(), m_Date[1]->value(), m_Date[2]->value(), criteria.From) &&
                          FindDateBound(m_Date[3]->value(), m_Date[4]->value(), m_Date[5]->value(), criteria.To);
    }
    return true;
}

void CFindFilesDialog::endSearch(int polls)
{
    if (!m_Job.IsRunning())
        return;
    m_Job.Cancel();
    int32_t exitCode = 0;
    m_Job.Stop(exitCode, polls);
}

void CFindFilesDialog::findNow()
{
    FindCriteria criteria;
    if (!readCriteria(criteria))
        return;
    // Two searches never run at once: the one in progress ends first.
    endSearch(-1);
    m_Model->clear();
    m_FilePreview->clear();
    m_Status->setText(QStringLiteral("Searching..."));

    m_Owner = std::make_unique<CQueuedJobOwner>();
    connect(m_Owner.get(), &CQueuedJobOwner::found, this, &CFindFilesDialog::onFound);
    connect(m_Owner.get(), &CQueuedJobOwner::finished, this, &CFindFilesDialog::onFinished);
    m_Job.SetOwner(m_Owner.get());
    m_Job.SetCriteria(std::move(criteria));
    try {
        m_Job.Start();
    } catch (const CThreadException& e) {
        m_Status->clear();
        MessageBox::Error(this, QString::fromStdString(e.GetText()));
        return;
    }
    m_Job.PostJob();
    m_Searching = true;
    updateEnabling();
}

void CFindFilesDialog::stopSearch()
{
    // The run reports itself finished (stopped) and the status follows then.
    if (m_Searching)
        m_Job.Cancel();
}

void CFindFilesDialog::onFound(const QStringList& paths)
{
    m_Model->append(paths);
}

void CFindFilesDialog::onFinished()
{
    m_Searching = false;
    // The thread has nothing more to do: let it end rather than wait idle.
    int32_t exitCode = 0;
    m_Job.Stop(exitCode, 0);
    const int count = m_Model->rowCount();
    m_Status->setText(count > 0 ? QString::number(count) + QStringLiteral(" file(s) found")
                                : QStringLiteral("No files found"));
    updateEnabling();
}

void CFindFilesDialog::onResultChosen()
{
    const QModelIndex current = m_List->currentIndex();
    if (!m_Preview->isChecked() || !current.isValid()) {
        m_FilePreview->clear();
        return;
    }
    m_FilePreview->show(m_Model->data(current, Qt::DisplayRole).toString());
}

void CFindFilesDialog::reject()
{
    const QModelIndex current = m_List->currentIndex();
    m_PlaceFolder.clear();
    m_PlaceName.clear();
    if (current.isValid() && m_List->selectionModel()->isSelected(current)) {
        const std::string path = m_Model->data(current, Qt::DisplayRole).toString().toStdString();
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos) {
            m_PlaceFolder = slash == 0 ? std::string("/") : path.substr(0, slash);
            m_PlaceName = path.substr(slash + 1);
        }
    }
    // A second at most; a search that takes longer to notice is joined when
    // the dialog goes.
    endSearch(10);
    m_Searching = false;
    m_Settings.FindGoToFile = m_GoToFile->isChecked() ? 1 : 0;
    m_Settings.FindPreview = m_Preview->isChecked() ? 1 : 0;
    QDialog::reject();
}
