#include "app/RenameSeriesDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

CRenameSeriesDialog::CRenameSeriesDialog(const QString& name, bool selectedOnly, bool canSelectedOnly,
                                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rename Series"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Name"));
    auto* groupLayout = new QVBoxLayout(group);
    m_Name = new QLineEdit(name);
    m_Name->setObjectName(QStringLiteral("name"));
    m_Name->selectAll();
    groupLayout->addWidget(m_Name);
    layout->addWidget(group);

    m_All = new QRadioButton(QStringLiteral("&All files in directory"));
    m_All->setObjectName(QStringLiteral("all"));
    m_Selected = new QRadioButton(QStringLiteral("&Selected files only"));
    m_Selected->setObjectName(QStringLiteral("selected"));
    m_Selected->setEnabled(canSelectedOnly);
    (selectedOnly && canSelectedOnly ? m_Selected : m_All)->setChecked(true);
    layout->addWidget(m_All);
    layout->addWidget(m_Selected);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    m_Name->setFocus();
}

QString CRenameSeriesDialog::name() const
{
    return m_Name->text();
}

bool CRenameSeriesDialog::selectedOnly() const
{
    return m_Selected->isChecked();
}
