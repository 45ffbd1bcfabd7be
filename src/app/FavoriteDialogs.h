// "Add to Favorites" (names a new favourite) and "Organize Favorites" (deletes
// and renames favourites in the list it is given).
#pragma once

#include <QDialog>

class CFavourites;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Favourite names are stored between "*" separators, so they cannot hold one.
QString StorableFavouriteName(const QString& text);

class CAddFavoriteDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAddFavoriteDialog(const QString& proposedName, QWidget* parent = nullptr);
    QString name() const;

private:
    QLineEdit* m_Name;
};

class COrganizeFavoritesDialog : public QDialog {
    Q_OBJECT
public:
    // Changes go straight into favourites.
    explicit COrganizeFavoritesDialog(CFavourites& favourites, QWidget* parent = nullptr);

private:
    void refill(int select);
    void showTarget();
    void deleteSelected();
    void renameSelected();
    void nameEdited(QListWidgetItem* item);

    CFavourites& m_Favourites;
    QListWidget* m_List;
    QLabel* m_Target;
    QPushButton* m_Delete;
    QPushButton* m_Rename;
    bool m_Filling = false;
};
