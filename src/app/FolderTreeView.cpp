#include "app/FolderTreeView.h"

#include "app/CommandTable.h"
#include "base/FileName.h"
#include "platform/ConfigFolder.h"
#include "platform/Directory.h"

#include <QContextMenuEvent>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
// Commands of the tree's own menu; they act on the current folder as a whole.
constexpr int kTreeCut = 238, kTreeCopy = 237, kTreeDelete = 235, kTreeRename = 236;
constexpr int kFilledRole = Qt::UserRole + 1;

// Paths are kept as the system's bytes: a folder name need not be valid UTF-8.
std::string PathOf(const QTreeWidgetItem* item)
{
    return item->data(0, kPathRole).toByteArray().toStdString();
}

// "/a/b" under root "/a" → {"b"}; the root itself → {}.
std::vector<std::string> ComponentsBelow(const std::string& root, const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = root == "/" ? 1 : root.size() + 1;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool IsUnder(const std::string& root, const std::string& path)
{
    if (root == "/")
        return !path.empty() && path[0] == '/';
    return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                            path[root.size()] == '/');
}

} // namespace

CFolderTreeView::CFolderTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName("folderTree");
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    // Deep folders widen the column and scroll sideways rather than cut names.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fill(item); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (m_Selecting || !item || item == m_Root)
            return;
        emit folderChosen(PathOf(item));
    });
    rebuild();
}

void CFolderTreeView::rebuild()
{
    m_Selecting = true;
    clear();
    QFileIconProvider icons;
    m_Root = new QTreeWidgetItem(this, QStringList{QStringLiteral("Drives")});
    m_Root->setIcon(0, icons.icon(QAbstractFileIconProvider::Computer));
    for (const std::string& root : DriveRoots())
        addFolder(m_Root, QString::fromStdString(root), root)->setIcon(0, icons.icon(QAbstractFileIconProvider::Drive));
    m_Root->setData(0, kFilledRole, true);
    m_Root->setExpanded(true);
    m_Selecting = false;
}

QTreeWidgetItem* CFolderTreeView::addFolder(QTreeWidgetItem* parent, const QString& label, const std::string& path)
{
    auto* item = new QTreeWidgetItem(parent, QStringList{label});
    item->setData(0, kPathRole, QByteArray::fromStdString(path));
    item->setData(0, kFilledRole, false);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    static const QIcon folderIcon = QFileIconProvider().icon(QAbstractFileIconProvider::Folder);
    item->setIcon(0, folderIcon);
    return item;
}

void CFolderTreeView::fill(QTreeWidgetItem* item)
{
    if (item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    const std::string path = PathOf(item);
    std::vector<std::string> names = ListSubfolders(path);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    for (const std::string& name : names) {
        if (!m_ShowHidden && !name.empty() && name[0] == '.')
            continue;
        addFolder(item, QString::fromStdString(name), JoinPath(path, name));
    }
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* CFolderTreeView::walk(const std::string& path)
{
    // The deepest root that holds the path: a mounted volume before "/".
    QTreeWidgetItem* best = nullptr;
    size_t bestLength = 0;
    for (int i = 0; i < m_Root->childCount(); ++i) {
        QTreeWidgetItem* child = m_Root->child(i);
        const std::string root = PathOf(child);
        if (IsUnder(root, path) && (!best || root.size() > bestLength)) {
            best = child;
            bestLength = root.size();
        }
    }
    if (!best)
        return nullptr;
    QTreeWidgetItem* item = best;
    for (const std::string& part : ComponentsBelow(PathOf(best), path)) {
        fill(item);
        const std::string childPath = JoinPath(PathOf(item), part);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (PathOf(item->child(i)) == childPath)
                next = item->child(i);
        // A folder the listing of its parent does not show (hidden, or under a
        // parent that may be passed but not read) still gets its item.
        if (!next && IsFolder(childPath))
            next = addFolder(item, QString::fromStdString(part), childPath);
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

std::string CFolderTreeView::selectFolder(const std::string& path)
{
    QTreeWidgetItem* item = walk(path);
    if (!item) {
        rebuild();
        item = walk(path);
    }
    if (!item)
        return {};
    m_Selecting = true;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        up->setExpanded(true);
    setCurrentItem(item);
    m_Selecting = false;
    scrollToCurrent();
    return PathOf(item);
}

void CFolderTreeView::scrollToCurrent()
{
    if (QTreeWidgetItem* item = currentItem())
        showName(item);
    // Again once the expanded branches and the splitter are laid out.
    QTimer::singleShot(0, this, [this] {
        if (QTreeWidgetItem* current = currentItem())
            showName(current);
    });
}

void CFolderTreeView::showName(QTreeWidgetItem* item)
{
    scrollToItem(item);
    // Sideways: the end of the name in view when it fits, but never past its icon.
    QScrollBar* bar = horizontalScrollBar();
    const int start = visualItemRect(item).left() + bar->value();
    const int icon = iconSize().isValid() ? iconSize().width() : style()->pixelMetric(QStyle::PM_SmallIconSize);
    const int end = start + icon + fontMetrics().horizontalAdvance(item->text(0)) + 12;
    bar->setValue(std::clamp(end - viewport()->width(), 0, std::max(0, start - indentation() / 2)));
}

void CFolderTreeView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const std::pair<const char*, int> items[] = {
        {"Cut", kTreeCut}, {"Copy", kTreeCopy}, {"Paste", ID_PASTE},
        {"Delete", kTreeDelete}, {"Rename", kTreeRename}, {nullptr, 0}, {"New Folder...", ID_NEW_FOLDER}};
    for (const auto& [label, id] : items) {
        if (!label) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromLatin1(label));
        action->setEnabled(m_Enabled ? m_Enabled(id) : false);
        connect(action, &QAction::triggered, this, [this, id = id] { emit command(id); });
    }
    menu.exec(event->globalPos());
}
