#include "app/RenameDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CRenameDialog::CRenameDialog(const QString& prompt, const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rename"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(prompt));
    m_Edit = new QLineEdit(text);
    m_Edit->setObjectName(QStringLiteral("name"));
    m_Edit->selectAll();
    layout->addWidget(m_Edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

QString CRenameDialog::text() const
{
    return m_Edit->text();
}

bool CRenameDialog::Ask(QWidget* parent, const QString& prompt, QString& text)
{
    CRenameDialog dialog(prompt, text, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.text();
    return true;
}
