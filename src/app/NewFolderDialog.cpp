#include "app/NewFolderDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CNewFolderDialog::CNewFolderDialog(const QString& name, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Folder"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Folder name:"));
    m_Name = new QLineEdit(name);
    m_Name->setObjectName(QStringLiteral("name"));
    m_Name->selectAll();
    label->setBuddy(m_Name);
    layout->addWidget(label);
    layout->addWidget(m_Name);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(320);
    m_Name->setFocus();
}

QString CNewFolderDialog::name() const
{
    return m_Name->text();
}
