// The folder tree: a "Drives" root whose children are the volume roots; folders
// are read when they are expanded.
#pragma once

#include <QTreeWidget>

#include <string>

class CFolderTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFolderTreeView(QWidget* parent = nullptr);

    void setShowHidden(bool show) { m_ShowHidden = show; }
    // Drops every folder item and reads the roots again.
    void rebuild();
    // Walks the tree to the folder, expanding on the way; rebuilds once when the
    // path is not found. Returns the path of the item selected ("" when none).
    std::string selectFolder(const std::string& path);
    // Scrolls the current folder into view, its name readable.
    void scrollToCurrent();
    // Called with the enabled state of the context-menu commands.
    void setCommandEnabledQuery(std::function<bool(int)> query) { m_Enabled = std::move(query); }

signals:
    // The user chose a folder.
    void folderChosen(const std::string& path);
    void command(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fill(QTreeWidgetItem* item);
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& label, const std::string& path);
    QTreeWidgetItem* walk(const std::string& path);
    void showName(QTreeWidgetItem* item);

    QTreeWidgetItem* m_Root = nullptr;
    bool m_ShowHidden = false;
    bool m_Selecting = false;
    std::function<bool(int)> m_Enabled;
};
