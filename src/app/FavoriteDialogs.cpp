#include "app/FavoriteDialogs.h"
#include "base/FileName.h"

#include "app/MessageBox.h"
#include "browser/Favourites.h"
#include "platform/ConfigFolder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

QString StorableFavouriteName(const QString& text)
{
    QString name = text;
    name.remove(QLatin1Char('*'));
    return name.trimmed();
}

CAddFavoriteDialog::CAddFavoriteDialog(const QString& proposedName, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Add to Favorites"));
    auto* label = new QLabel(QStringLiteral("Name:"));
    m_Name = new QLineEdit(StorableFavouriteName(proposedName));
    m_Name->setObjectName(QStringLiteral("nameEdit"));
    m_Name->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^*]*")), m_Name));
    m_Name->selectAll();
    label->setBuddy(m_Name);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A favourite without a name would be an empty menu entry.
    auto updateOk = [this, ok] { ok->setEnabled(!name().isEmpty()); };
    connect(m_Name, &QLineEdit::textChanged, this, updateOk);
    updateOk();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_Name);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
}

QString CAddFavoriteDialog::name() const
{
    return StorableFavouriteName(m_Name->text());
}

COrganizeFavoritesDialog::COrganizeFavoritesDialog(CFavourites& favourites, QWidget* parent)
    : QDialog(parent), m_Favourites(favourites)
{
    setWindowTitle(QStringLiteral("Organize Favorites"));
    m_List = new QListWidget;
    m_List->setObjectName(QStringLiteral("favoritesList"));
    m_List->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_Target = new QLabel;
    m_Target->setObjectName(QStringLiteral("targetLabel"));
    m_Target->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_Target->setWordWrap(true);

    m_Delete = new QPushButton(QStringLiteral("&Delete"));
    m_Delete->setObjectName(QStringLiteral("deleteButton"));
    m_Rename = new QPushButton(QStringLiteral("&Rename"));
    m_Rename->setObjectName(QStringLiteral("renameButton"));
    auto* close = new QPushButton(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(m_Delete, &QPushButton::clicked, this, &COrganizeFavoritesDialog::deleteSelected);
    connect(m_Rename, &QPushButton::clicked, this, &COrganizeFavoritesDialog::renameSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_List, &QListWidget::currentRowChanged, this, &COrganizeFavoritesDialog::showTarget);
    connect(m_List, &QListWidget::itemChanged, this, &COrganizeFavoritesDialog::nameEdited);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_Delete);
    buttons->addWidget(m_Rename);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* top = new QHBoxLayout;
    top->addWidget(m_List, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_Target);
    resize(420, 300);

    refill(0);
}

void COrganizeFavoritesDialog::refill(int select)
{
    m_Filling = true;
    m_List->clear();
    for (size_t i = 0; i < m_Favourites.Count(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(m_Favourites.GetFavourite(i).Name), m_List);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_Filling = false;
    if (m_List->count() > 0)
        m_List->setCurrentRow(std::min(std::max(select, 0), m_List->count() - 1));
    showTarget();
}

void COrganizeFavoritesDialog::showTarget()
{
    const int row = m_List->currentRow();
    const bool any = row >= 0 && static_cast<size_t>(row) < m_Favourites.Count();
    m_Delete->setEnabled(any);
    m_Rename->setEnabled(any);
    if (!any) {
        m_Target->clear();
        return;
    }
    const Favourite& favourite = m_Favourites.GetFavourite(static_cast<size_t>(row));
    m_Target->setText(QString::fromStdString(JoinPath(favourite.Folder, favourite.File)));
}

void COrganizeFavoritesDialog::deleteSelected()
{
    const int row = m_List->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= m_Favourites.Count())
        return;
    if (!MessageBox::AskYesNo(this, QStringLiteral("Do you really want to delete this favorite?")))
        return;
    m_Favourites.RemoveFavourite(static_cast<size_t>(row));
    refill(row);
}

void COrganizeFavoritesDialog::renameSelected()
{
    if (QListWidgetItem* item = m_List->currentItem())
        m_List->editItem(item);
}

void COrganizeFavoritesDialog::nameEdited(QListWidgetItem* item)
{
    if (m_Filling)
        return;
    const int row = m_List->row(item);
    if (row < 0 || static_cast<size_t>(row) >= m_Favourites.Count())
        return;
    const QString name = StorableFavouriteName(item->text());
    if (!name.isEmpty())
        m_Favourites.RenameFavourite(static_cast<size_t>(row), name.toStdString());
    // Shows what was kept: the cleaned name, or the old one for an empty edit.
    const QString stored = QString::fromStdString(m_Favourites.GetFavourite(static_cast<size_t>(row)).Name);
    if (item->text() != stored) {
        m_Filling = true;
        item->setText(stored);
        m_Filling = false;
    }
}
