#include "app/CompareDialogs.h"

#include "app/BrowseFolderDialog.h"
#include "app/FindFilesDialog.h"
#include "app/MessageBox.h"
#include "app/PreviewBox.h"
#include "app/QueuedJobOwner.h"
#include "browser/Navigator.h"
#include "platform/Directory.h"
#include "platform/FileOps.h"
#include "platform/Trash.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNameColumn = 0, kImageSizeColumn = 4;

QString CountText(size_t count)
{
    return QString::number(count) + QStringLiteral(" file(s)");
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace

bool SameFolder(const std::string& first, const std::string& second)
{
    // "/." makes the status that of the folder a link leads to.
    IFileOps& ops = SystemFileOps();
    FileStatus a, b;
    return ops.LinkStatus(JoinPath(first, "."), a) == 0 && ops.LinkStatus(JoinPath(second, "."), b) == 0 &&
           a.SameAs(b);
}

// CCompareSettingsDialog

CCompareSettingsDialog::CCompareSettingsDialog(CSettings& settings, const std::string& source,
                                               const std::string& destination, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Source(source)
{
    setWindowTitle(QStringLiteral("Compare Directories"));
    auto* layout = new QVBoxLayout(this);

    auto* criteria = new QGridLayout;
    const auto box = [](const char* text, const char* name, int32_t on) {
        auto* check = new QCheckBox(QString::fromUtf8(text));
        check->setObjectName(QString::fromLatin1(name));
        check->setChecked(on != 0);
        return check;
    };
    m_ByName = box("&File name (without ext.):", "byName", settings.CompareByName);
    m_CaseSensitive = box("&Case sensitive", "caseSensitive", settings.CompareCaseSensitive);
    m_ByExtension = box("&Extension", "byExtension", settings.CompareByExtension);
    m_BySize = box("File &size", "bySize", settings.CompareBySize);
    m_ByDate = box("&Date", "byDate", settings.CompareByDate);
    m_Extension = new QComboBox;
    m_Extension->setObjectName(QStringLiteral("extension"));
    for (const std::string& extension : CompareExtensionChoices())
        m_Extension->addItem(QString::fromStdString(extension));
    const int chosen = m_Extension->findText(QString::fromStdString(settings.CompareExtension), Qt::MatchFixedString);
    m_Extension->setCurrentIndex(chosen >= 0 ? chosen : 0);
    criteria->addWidget(m_ByName, 0, 0);
    criteria->addWidget(m_CaseSensitive, 0, 1);
    criteria->addWidget(m_ByExtension, 1, 0);
    criteria->addWidget(m_Extension, 1, 1);
    criteria->addWidget(m_BySize, 2, 0);
    criteria->addWidget(m_ByDate, 3, 0);
    layout->addLayout(criteria);

    auto* folders = new QFormLayout;
    auto* sourceText = new QLabel(QString::fromStdString(source));
    sourceText->setObjectName(QStringLiteral("source"));
    sourceText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folders->addRow(QStringLiteral("Source directory:"), sourceText);
    m_DestinationEdit = new QLineEdit(QString::fromStdString(destination));
    m_DestinationEdit->setObjectName(QStringLiteral("destination"));
    m_DestinationEdit->setMinimumWidth(320);
    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &CCompareSettingsDialog::browse);
    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_DestinationEdit, 1);
    destinationRow->addWidget(browseButton);
    folders->addRow(QStringLiteral("Destination directory:"), destinationRow);
    layout->addLayout(folders);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCompareSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Each choice only where its criterion is on.
    const auto enabling = [this] {
        m_CaseSensitive->setEnabled(m_ByName->isChecked());
        m_Extension->setEnabled(m_ByExtension->isChecked());
    };
    connect(m_ByName, &QCheckBox::toggled, this, enabling);
    connect(m_ByExtension, &QCheckBox::toggled, this, enabling);
    enabling();
    m_DestinationEdit->setFocus();
}

void CCompareSettingsDialog::browse()
{
    std::string start = m_DestinationEdit->text().trimmed().toStdString();
    if (start.empty() || start.front() != '/' || !IsFolder(start))
        start = m_Source;
    CBrowseFolderDialog picker(start, m_Settings.ShowHiddenFiles != 0, this);
    if (picker.exec() == QDialog::Accepted)
        m_DestinationEdit->setText(QString::fromStdString(picker.folder()));
}

void CCompareSettingsDialog::accept()
{
    std::string destination = m_DestinationEdit->text().trimmed().toStdString();
    if (destination.empty()) {
        MessageBox::Warning(this, QString::fromLatin1(kNoDestination));
        return;
    }
    // A relative folder is taken from the source folder.
    if (destination.front() != '/')
        destination = JoinPath(m_Source, destination);
    destination = AbsoluteNormalPath(destination);
    // The same folder under another spelling (a link, "..") is the same folder.
    if (destination == AbsoluteNormalPath(m_Source) || SameFolder(m_Source, destination)) {
        MessageBox::Warning(this, QString::fromLatin1(kSameFolder));
        return;
    }
    m_Destination = destination;
    m_Settings.CompareByName = m_ByName->isChecked() ? 1 : 0;
    m_Settings.CompareByExtension = m_ByExtension->isChecked() ? 1 : 0;
    m_Settings.CompareBySize = m_BySize->isChecked() ? 1 : 0;
    m_Settings.CompareByDate = m_ByDate->isChecked() ? 1 : 0;
    m_Settings.CompareCaseSensitive = m_CaseSensitive->isChecked() ? 1 : 0;
    m_Settings.CompareExtension = m_Extension->currentText().toStdString();
    QDialog::accept();
}

// CCompareResultsDialog

CCompareResultsDialog::CCompareResultsDialog(CSettings& settings, const std::string& source,
                                             const std::string& destination, QWidget* parent)
    : QDialog(parent), m_Settings(settings)
{
    setWindowTitle(QStringLiteral("Compare Directories"));
    m_Side[0].Folder = source;
    m_Side[1].Folder = destination;

    auto* layout = new QVBoxLayout(this);
    auto* sides = new QHBoxLayout;
    sides->addWidget(buildSide(0, QStringLiteral("&Go To File(s)"), QStringLiteral("&Delete"),
                               QStringLiteral("&Preview")));
    sides->addWidget(buildSide(1, QStringLiteral("G&o To File(s)"), QStringLiteral("D&elete"),
                               QStringLiteral("P&review")));
    layout->addLayout(sides, 1);
    m_Side[0].Preview->setChecked(settings.ComparePreviewSource != 0);
    m_Side[1].Preview->setChecked(settings.ComparePreviewDestination != 0);

    auto* bottom = new QHBoxLayout;
    m_Status = new QLabel;
    m_Status->setObjectName(QStringLiteral("status"));
    bottom->addWidget(m_Status, 1);
    m_New = new QPushButton(QStringLiteral("&New"));
    m_New->setObjectName(QStringLiteral("new"));
    m_New->setAutoDefault(false);
    m_New->setEnabled(false);
    m_Ok = new QPushButton(QStringLiteral("OK"));
    m_Ok->setObjectName(QStringLiteral("ok"));
    m_Ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    bottom->addWidget(m_New);
    bottom->addWidget(m_Ok);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);
    connect(m_New, &QPushButton::clicked, this, [this] { done(kNew); });
    connect(m_Ok, &QPushButton::clicked, this, &CCompareResultsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CCompareResultsDialog::reject);
}

CCompareResultsDialog::~CCompareResultsDialog()
{
    // The job's destructor ends and joins its thread before the owner goes.
}

QWidget* CCompareResultsDialog::buildSide(int side, const QString& goToText, const QString& remove,
                                          const QString& preview)
{
    Side& s = m_Side[side];
    const QString prefix = side == 0 ? QStringLiteral("source") : QStringLiteral("destination");
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* path = new QLabel(QString::fromStdString(s.Folder));
    path->setObjectName(prefix + QStringLiteral("Path"));
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(path);

    s.List = new QTreeWidget;
    s.List->setObjectName(prefix + QStringLiteral("List"));
    s.List->setRootIsDecorated(false);
    s.List->setUniformRowHeights(true);
    s.List->setSelectionMode(QAbstractItemView::SingleSelection);
    s.List->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Ext"), QStringLiteral("Size (bytes)"),
                             QStringLiteral("Date"), QStringLiteral("Image size")});
    const int widths[5] = {125, 45, 95, 95, 95};
    for (int c = 0; c < 5; ++c) {
        s.List->setColumnWidth(c, widths[c]);
        s.List->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }
    s.List->setMinimumSize(125 + 45 + 95 + 95 + 95 + 24, 220);
    column->addWidget(s.List, 1);

    auto* below = new QHBoxLayout;
    auto* controls = new QVBoxLayout;
    s.GoTo = new QPushButton(goToText);
    s.GoTo->setObjectName(prefix + QStringLiteral("GoTo"));
    s.Delete = new QPushButton(remove);
    s.Delete->setObjectName(prefix + QStringLiteral("Delete"));
    for (QPushButton* button : {s.GoTo, s.Delete}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
        controls->addWidget(button);
    }
    s.Count = new QLabel;
    s.Count->setObjectName(prefix + QStringLiteral("Count"));
    controls->addWidget(s.Count);
    s.Preview = new QCheckBox(preview);
    s.Preview->setObjectName(prefix + QStringLiteral("Preview"));
    controls->addWidget(s.Preview);
    s.ImageSize = new QLabel;
    s.ImageSize->setObjectName(prefix + QStringLiteral("ImageSize"));
    controls->addWidget(s.ImageSize);
    controls->addStretch(1);
    below->addLayout(controls);
    s.Box = new CPreviewBox;
    s.Loader = new CFilePreview(s.Box, this);
    below->addWidget(s.Box);
    below->addStretch(1);
    column->addLayout(below);

    connect(s.GoTo, &QPushButton::clicked, this, [this, side] { goTo(side); });
    connect(s.Delete, &QPushButton::clicked, this, [this, side] { deleteRow(side); });
    connect(s.List, &QTreeWidget::currentItemChanged, this, [this, side] { rowChosen(side); });
    connect(s.Preview, &QCheckBox::toggled, this, [this, side] { rowChosen(side); });
    connect(s.Loader, &CFilePreview::loaded, this,
            [this, side](const QString& file, int width, int height) { previewLoaded(side, file, width, height); });
    return panel;
}

QString CCompareResultsDialog::countText(int side) const
{
    return m_Side[side].Count->text();
}

QString CCompareResultsDialog::statusText() const
{
    return m_Status->text();
}

void CCompareResultsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_Started) {
        m_Started = true;
        // Once the dialog is on the screen.
        QTimer::singleShot(0, this, &CCompareResultsDialog::start);
    }
}

void CCompareResultsDialog::start()
{
    if (!isVisible())  // closed before it came to start
        return;
    m_Status->setText(QStringLiteral("Comparing..."));
    CompareRequest request;
    request.Source = m_Side[0].Folder;
    request.Destination = m_Side[1].Folder;
    request.Criteria.ByName = m_Settings.CompareByName != 0;
    request.Criteria.ByExtension = m_Settings.CompareByExtension != 0;
    request.Criteria.BySize = m_Settings.CompareBySize != 0;
    request.Criteria.ByDate = m_Settings.CompareByDate != 0;
    request.Criteria.CaseSensitive = m_Settings.CompareCaseSensitive != 0;
    request.Criteria.Extension = m_Settings.CompareExtension;

    m_Owner = std::make_unique<CQueuedJobOwner>();
    connect(m_Owner.get(), &CQueuedJobOwner::finished, this, &CCompareResultsDialog::onFinished);
    m_Job.SetOwner(m_Owner.get());
    m_Job.SetRequest(std::move(request));
    try {
        m_Job.Start();
    } catch (const CThreadException& e) {
        m_Status->clear();
        MessageBox::Error(this, QString::fromStdString(e.GetText()));
        done(kNothingToCompare);
        return;
    }
    m_Job.PostJob();
    m_Running = true;
}

void CCompareResultsDialog::stopJob()
{
    if (!m_Job.IsRunning())
        return;
    m_Job.Cancel();
    int32_t exitCode = 0;
    // A second at most; a comparison slower to notice is joined when the dialog goes.
    m_Job.Stop(exitCode, 10);
}

void CCompareResultsDialog::onFinished()
{
    m_Running = false;
    int32_t exitCode = 0;
    m_Job.Stop(exitCode, 0);  // one run per dialog: the thread may end now
    switch (m_Job.Outcome()) {
    case CompareOutcome::Missing:
        m_Status->clear();
        MessageBox::Error(this, QString::fromStdString(m_Job.MissingFolder() + " not found."));
        done(kNew);
        return;
    case CompareOutcome::NoFiles:
        m_Status->clear();
        MessageBox::Information(this, QStringLiteral("No files found."));
        done(kNothingToCompare);
        return;
    case CompareOutcome::Stopped:
        m_Status->clear();
        return;
    case CompareOutcome::Compared:
        break;
    }
    fill(0, m_Job.Result().Source);
    fill(1, m_Job.Result().Destination);
    m_Status->setText(QStringLiteral("Done."));
    m_Ended = true;
    m_New->setEnabled(true);
    for (Side& s : m_Side) {
        s.GoTo->setEnabled(true);
        s.Delete->setEnabled(true);
    }
    rowChosen(0);
    rowChosen(1);
}

void CCompareResultsDialog::fill(int side, const std::vector<CompareRow>& rows)
{
    Side& s = m_Side[side];
    s.Rows = rows;
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const CompareRow& row : rows) {
        items << new QTreeWidgetItem(QStringList{QString::fromStdString(row.Stem),
                                                 QString::fromStdString(row.Extension), QString::number(row.Size),
                                                 QString::fromStdString(CompareDate(row.Modified)), QString()});
    }
    s.List->clear();
    s.List->addTopLevelItems(items);
    updateCount(side);
}

void CCompareResultsDialog::updateCount(int side)
{
    m_Side[side].Count->setText(CountText(m_Side[side].Rows.size()));
}

std::string CCompareResultsDialog::pathOf(int side, const CompareRow& row) const
{
    return JoinPath(m_Side[side].Folder, row.Name());
}

void CCompareResultsDialog::rowChosen(int side)
{
    Side& s = m_Side[side];
    const int row = s.List->currentItem() ? s.List->indexOfTopLevelItem(s.List->currentItem()) : -1;
    if (!m_Ended || !s.Preview->isChecked() || row < 0) {
        s.Loader->clear();
        s.ImageSize->clear();
        return;
    }
    s.Loader->show(QString::fromStdString(pathOf(side, s.Rows[static_cast<size_t>(row)])));
}

void CCompareResultsDialog::previewLoaded(int side, const QString& path, int width, int height)
{
    Side& s = m_Side[side];
    if (width <= 0 || height <= 0) {
        s.ImageSize->clear();
        return;
    }
    const QString size = QString::number(width) + QStringLiteral("x") + QString::number(height);
    s.ImageSize->setText(size);
    // The list's "Image size" column keeps what was found out.
    if (QTreeWidgetItem* item = s.List->currentItem()) {
        const int row = s.List->indexOfTopLevelItem(item);
        if (row >= 0 && QString::fromStdString(pathOf(side, s.Rows[static_cast<size_t>(row)])) == path)
            item->setText(kImageSizeColumn, size);
    }
}

void CCompareResultsDialog::deleteRow(int side)
{
    Side& s = m_Side[side];
    QTreeWidgetItem* item = s.List->currentItem();
    if (!m_Ended || !item)
        return;
    const int row = s.List->indexOfTopLevelItem(item);
    if (row < 0)
        return;
    const std::string path = pathOf(side, s.Rows[static_cast<size_t>(row)]);
    if (!MessageBox::AskYesNo(this, QString::fromStdString("Do you really want to delete\n" + path + "?")))
        return;
    IFileOps& ops = SystemFileOps();
    const int error = m_Settings.UseRecycleBin != 0 ? MoveToTrash(path, ops) : ops.Unlink(path);
    if (error != 0) {
        MessageBox::Error(this, QString::fromStdString("Can't delete " + path));
        return;
    }
    s.Loader->clear();
    s.ImageSize->clear();
    s.Rows.erase(s.Rows.begin() + row);
    delete s.List->takeTopLevelItem(row);
    updateCount(side);
}

void CCompareResultsDialog::goTo(int side)
{
    if (!m_Ended)
        return;
    m_Names.clear();
    for (const CompareRow& row : m_Side[side].Rows)
        m_Names.push_back(row.Name());
    done(side == 0 ? kGoToSource : kGoToDestination);
}

void CCompareResultsDialog::accept()
{
    if (m_Running)
        return;
    QDialog::accept();
}

void CCompareResultsDialog::reject()
{
    done(Rejected);
}

void CCompareResultsDialog::done(int result)
{
    stopJob();
    m_Running = false;
    m_Settings.ComparePreviewSource = m_Side[0].Preview->isChecked() ? 1 : 0;
    m_Settings.ComparePreviewDestination = m_Side[1].Preview->isChecked() ? 1 : 0;
    QDialog::done(result);
}
