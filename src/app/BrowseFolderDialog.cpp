#include "app/BrowseFolderDialog.h"

#include "app/MessageBox.h"
#include "base/FileName.h"
#include "browser/Navigator.h"
#include "platform/Directory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
const char* const kUp = "..";

// Paths travel as the system's bytes: a folder name need not be valid UTF-8.
std::string PathOf(const QVariant& data)
{
    return data.toByteArray().toStdString();
}

QVariant DataOf(const std::string& path)
{
    return QByteArray::fromStdString(path);
}

bool IsUnder(const std::string& root, const std::string& path)
{
    if (root == "/")
        return !path.empty() && path[0] == '/';
    return path == root ||
           (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
}

} // namespace

CBrowseFolderDialog::CBrowseFolderDialog(const std::string& start, bool showHidden, QWidget* parent)
    : QDialog(parent), m_ShowHidden(showHidden)
{
    setObjectName(QStringLiteral("browseFolder"));
    setWindowTitle(QStringLiteral("Browse"));
    auto* layout = new QVBoxLayout(this);

    m_Drives = new QComboBox(this);
    m_Drives->setObjectName(QStringLiteral("drives"));
    for (const std::string& root : DriveRoots())
        m_Drives->addItem(QString::fromStdString(root), DataOf(root));
    layout->addWidget(m_Drives);

    m_Path = new QLabel(this);
    m_Path->setObjectName(QStringLiteral("path"));
    m_Path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_Path);

    m_Folders = new QListWidget(this);
    m_Folders->setObjectName(QStringLiteral("folders"));
    layout->addWidget(m_Folders, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_Drives, &QComboBox::activated, this, &CBrowseFolderDialog::driveChosen);
    connect(m_Folders, &QListWidget::itemActivated, this, &CBrowseFolderDialog::itemActivated);
    resize(420, 400);

    const std::string first = start.empty() ? HomeDirectory() : AbsoluteNormalPath(start);
    if (!enter(first) && !enter(HomeDirectory()))
        enter("/");
}

bool CBrowseFolderDialog::enter(const std::string& path)
{
    std::vector<DirectoryEntry> entries;
    if (path.empty() || !ReadDirectory(path, entries))
        return false;
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : entries)
        if (entry.IsDirectory && (m_ShowHidden || entry.Name[0] != '.'))
            names.push_back(entry.Name);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });

    m_Current = path;
    m_Folders->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    if (!IsRootFolder(path))
        new QListWidgetItem(style()->standardIcon(QStyle::SP_FileDialogToParent), QString::fromLatin1(kUp), m_Folders);
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(folderIcon, QString::fromStdString(name), m_Folders);
        item->setData(kPathRole, DataOf(name));
    }
    m_Path->setText(QString::fromStdString(path));
    m_Path->setToolTip(m_Path->text());
    selectDriveOf(path);
    return true;
}

// The drive holding the folder: the longest root it lies under.
void CBrowseFolderDialog::selectDriveOf(const std::string& path)
{
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < m_Drives->count(); ++i) {
        const std::string root = PathOf(m_Drives->itemData(i));
        if (IsUnder(root, path) && (best < 0 || root.size() > bestLength)) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(m_Drives);
    m_Drives->setCurrentIndex(best);
    m_DriveIndex = best;
}

void CBrowseFolderDialog::driveChosen(int index)
{
    if (index < 0)
        return;
    if (enter(PathOf(m_Drives->itemData(index))))
        return;
    MessageBox::Error(this, QString::fromLatin1(kNotReady));
    const QSignalBlocker block(m_Drives);
    m_Drives->setCurrentIndex(m_DriveIndex);
}

void CBrowseFolderDialog::itemActivated(QListWidgetItem* item)
{
    if (!item)
        return;
    const QVariant data = item->data(kPathRole);
    const std::string target = data.isValid() ? JoinPath(m_Current, PathOf(data)) : FolderPart(m_Current);
    if (!enter(target))
        MessageBox::Error(this, QString::fromLatin1(kNotReady));
}
