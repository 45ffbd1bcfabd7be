#include "app/GroupDialog.h"

#include "app/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

CGroupDialog::CGroupDialog(bool select, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(select ? QStringLiteral("Select Group") : QStringLiteral("Unselect Group"));
    const GroupCriteria defaults;

    auto* group = new QGroupBox(select ? QStringLiteral("Select all files with")
                                       : QStringLiteral("Unselect all files with"));
    auto* grid = new QGridLayout(group);

    m_ExtensionCheck = new QCheckBox(QStringLiteral("&Extension:"));
    m_ExtensionCheck->setObjectName(QStringLiteral("extensionCheck"));
    m_Extension = new QLineEdit(QString::fromStdString(defaults.Extension));
    m_Extension->setObjectName(QStringLiteral("extensionEdit"));
    auto* extensionRow = new QHBoxLayout;
    extensionRow->addWidget(m_Extension);
    extensionRow->addWidget(new QLabel(QStringLiteral("(e.g.: bmp, gif, exe)")));
    grid->addWidget(m_ExtensionCheck, 0, 0);
    grid->addLayout(extensionRow, 0, 1);

    m_SizeCheck = new QCheckBox(QStringLiteral("File &size:"));
    m_SizeCheck->setObjectName(QStringLiteral("sizeCheck"));
    m_Relation = new QComboBox;
    m_Relation->setObjectName(QStringLiteral("relationCombo"));
    m_Relation->addItems({QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">")});
    m_Relation->setCurrentIndex(defaults.SizeRelation);
    // 0 can be typed so that the check can name the allowed range.
    m_Size = new QSpinBox;
    m_Size->setObjectName(QStringLiteral("sizeEdit"));
    m_Size->setRange(0, INT_MAX);
    m_Size->setValue(static_cast<int>(defaults.SizeNumber));
    m_Unit = new QComboBox;
    m_Unit->setObjectName(QStringLiteral("unitCombo"));
    m_Unit->addItems({QStringLiteral("bytes"), QStringLiteral("KB"), QStringLiteral("MB")});
    m_Unit->setCurrentIndex(defaults.SizeUnit);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_Relation);
    sizeRow->addWidget(m_Size, 1);
    sizeRow->addWidget(m_Unit);
    grid->addWidget(m_SizeCheck, 1, 0);
    grid->addLayout(sizeRow, 1, 1);

    m_DateCheck = new QCheckBox(QStringLiteral("&Date between:"));
    m_DateCheck->setObjectName(QStringLiteral("dateCheck"));
    m_From = addDate("from");
    m_To = addDate("to");
    m_From.Day->setCurrentIndex(defaults.FromDay - 1);
    m_From.Month->setCurrentIndex(defaults.FromMonth - 1);
    m_From.Year->setValue(defaults.FromYear);
    m_To.Day->setCurrentIndex(defaults.ToDay - 1);
    m_To.Month->setCurrentIndex(defaults.ToMonth - 1);
    m_To.Year->setValue(defaults.ToYear);
    auto* dateRow = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_From.Day), static_cast<QWidget*>(m_From.Month),
                       static_cast<QWidget*>(m_From.Year)})
        dateRow->addWidget(w);
    dateRow->addWidget(new QLabel(QStringLiteral("and")));
    for (QWidget* w : {static_cast<QWidget*>(m_To.Day), static_cast<QWidget*>(m_To.Month),
                       static_cast<QWidget*>(m_To.Year)})
        dateRow->addWidget(w);
    grid->addWidget(m_DateCheck, 2, 0);
    grid->addLayout(dateRow, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    if (select) {
        m_Expand = new QCheckBox(QStringLiteral("E&xpand selection"));
        m_Expand->setObjectName(QStringLiteral("expandCheck"));
        m_Expand->setChecked(defaults.Expand);
        layout->addWidget(m_Expand);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CGroupDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CGroupDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    for (QCheckBox* check : {m_ExtensionCheck, m_SizeCheck, m_DateCheck})
        connect(check, &QCheckBox::toggled, this, &CGroupDialog::updateEnabled);
    updateEnabled();
}

CGroupDialog::DateFields CGroupDialog::addDate(const char* prefix)
{
    DateFields fields;
    const QString name = QString::fromLatin1(prefix);
    fields.Day = new QComboBox;
    fields.Day->setObjectName(name + QStringLiteral("Day"));
    for (int d = 1; d <= 31; ++d)
        fields.Day->addItem(QString::number(d));
    fields.Month = new QComboBox;
    fields.Month->setObjectName(name + QStringLiteral("Month"));
    for (int m = 1; m <= 12; ++m)
        fields.Month->addItem(QString::number(m));
    // Any year can be typed; the check names the years that can be compared.
    fields.Year = new QSpinBox;
    fields.Year->setObjectName(name + QStringLiteral("Year"));
    fields.Year->setRange(0, 9999);
    return fields;
}

void CGroupDialog::updateEnabled()
{
    m_Extension->setEnabled(m_ExtensionCheck->isChecked());
    const bool size = m_SizeCheck->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_Relation), static_cast<QWidget*>(m_Size),
                       static_cast<QWidget*>(m_Unit)})
        w->setEnabled(size);
    const bool date = m_DateCheck->isChecked();
    for (const DateFields* f : {&m_From, &m_To}) {
        f->Day->setEnabled(date);
        f->Month->setEnabled(date);
        f->Year->setEnabled(date);
    }
}

GroupCriteria CGroupDialog::criteria() const
{
    GroupCriteria c;
    c.UseExtension = m_ExtensionCheck->isChecked();
    c.Extension = m_Extension->text().trimmed().toStdString();
    c.UseSize = m_SizeCheck->isChecked();
    c.SizeNumber = m_Size->value();
    c.SizeRelation = m_Relation->currentIndex();
    c.SizeUnit = m_Unit->currentIndex();
    c.UseDate = m_DateCheck->isChecked();
    c.FromDay = m_From.Day->currentIndex() + 1;
    c.FromMonth = m_From.Month->currentIndex() + 1;
    c.FromYear = m_From.Year->value();
    c.ToDay = m_To.Day->currentIndex() + 1;
    c.ToMonth = m_To.Month->currentIndex() + 1;
    c.ToYear = m_To.Year->value();
    c.Expand = m_Expand && m_Expand->isChecked();
    return c;
}

void CGroupDialog::accept()
{
    const std::string message = criteria().Validate();
    if (!message.empty()) {
        MessageBox::Warning(this, QString::fromStdString(message));
        return;
    }
    QDialog::accept();
}
