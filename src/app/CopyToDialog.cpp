#include "app/CopyToDialog.h"

#include "app/BrowseFolderDialog.h"
#include "app/MessageBox.h"
#include "base/FileName.h"
#include "browser/Navigator.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <set>

namespace {

constexpr int kPathRole = Qt::UserRole;

} // namespace

CCopyToDialog::CCopyToDialog(Setup setup, QWidget* parent) : QDialog(parent), m_Setup(std::move(setup))
{
    setObjectName(QStringLiteral("copyTo"));
    setWindowTitle(m_Setup.Copy ? QStringLiteral("Copy To") : QStringLiteral("Move To"));
    auto* layout = new QVBoxLayout(this);

    auto* lines = new QFormLayout;
    auto* source = new QLabel(m_Setup.SourceText, this);
    source->setObjectName(QStringLiteral("source"));
    source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lines->addRow(QStringLiteral("From:"), source);
    auto* destinationRow = new QHBoxLayout;
    m_Destination = new QLineEdit(this);
    m_Destination->setObjectName(QStringLiteral("destination"));
    destinationRow->addWidget(m_Destination, 1);
    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton->setObjectName(QStringLiteral("browse"));
    browseButton->setAutoDefault(false);
    destinationRow->addWidget(browseButton);
    lines->addRow(QStringLiteral("To:"), destinationRow);
    layout->addLayout(lines);

    auto* lists = new QHBoxLayout;
    const std::pair<const char*, const std::vector<std::string>*> groups[] = {
        {"Recent folders", &m_Setup.Recent}, {"Favorite folders", &m_Setup.Favourites}};
    for (const auto& [title, folders] : groups) {
        auto* group = new QGroupBox(QString::fromLatin1(title), this);
        auto* groupLayout = new QVBoxLayout(group);
        auto* list = new QListWidget(group);
        list->setObjectName(folders == &m_Setup.Recent ? QStringLiteral("recent") : QStringLiteral("favourites"));
        fillList(list, *folders);
        connect(list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { choose(item->data(kPathRole).toByteArray().toStdString()); });
        connect(list, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { choose(item->data(kPathRole).toByteArray().toStdString()); });
        groupLayout->addWidget(list);
        lists->addWidget(group);
    }
    layout->addLayout(lists, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCopyToDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &CCopyToDialog::browse);

    choose(m_Setup.Destination);
    resize(560, 360);
}

void CCopyToDialog::fillList(QListWidget* list, const std::vector<std::string>& folders)
{
    std::set<std::string> seen;
    for (const std::string& folder : folders) {
        if (folder.empty() || !seen.insert(folder).second)
            continue;
        auto* item = new QListWidgetItem(QString::fromStdString(folder), list);
        item->setData(kPathRole, QByteArray::fromStdString(folder));
    }
}

void CCopyToDialog::choose(const std::string& path)
{
    m_Chosen = path;
    m_Destination->setText(QString::fromStdString(path));
}

std::string CCopyToDialog::destination() const
{
    const QString text = m_Destination->text().trimmed();
    if (text.isEmpty())
        return {};
    // A picked folder keeps its exact bytes; typed text is taken as UTF-8.
    std::string path = text == QString::fromStdString(m_Chosen) ? m_Chosen : text.toStdString();
    if (path[0] != '/')
        path = JoinPath(m_Setup.Destination, path);
    return AbsoluteNormalPath(path);
}

void CCopyToDialog::browse()
{
    std::string start = destination();
    if (start.empty())
        start = m_Setup.Destination;
    CBrowseFolderDialog picker(start, m_Setup.ShowHidden, this);
    if (picker.exec() == QDialog::Accepted)
        choose(picker.folder());
}

void CCopyToDialog::accept()
{
    const std::string target = destination();
    if (target.empty())
        return;
    if (m_Setup.Refusal) {
        const QString refusal = m_Setup.Refusal(target);
        if (!refusal.isEmpty()) {
            MessageBox::Error(this, refusal);
            return;
        }
    }
    QDialog::accept();
}
