#include "app/ConvertDialog.h"

#include "save/SaveImage.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CConvertDialog::CConvertDialog(CSettings& settings, QWidget* parent) : QDialog(parent), m_Settings(settings)
{
    setWindowTitle(QStringLiteral("Convert"));
    auto* layout = new QVBoxLayout(this);

    auto* formatGroup = new QGroupBox(QStringLiteral("Destination format"));
    auto* formatColumn = new QVBoxLayout(formatGroup);
    m_Format = new QComboBox;
    m_Format->setObjectName(QStringLiteral("format"));
    for (const SaveFormatRow& row : SaveFormats())
        if (row.Listed)
            m_Format->addItem(QString::fromStdString(ConvertListText(row)));
    const int format = settings.ConvertFormat;
    m_Format->setCurrentIndex(format >= 0 && format < m_Format->count() ? format : 0);
    formatColumn->addWidget(m_Format);
    m_Replace = new QCheckBox(QStringLiteral("R&eplace original"));
    m_Replace->setObjectName(QStringLiteral("replaceOriginal"));
    m_Replace->setChecked(settings.ConvertReplaceOriginal != 0);
    formatColumn->addWidget(m_Replace);
    layout->addWidget(formatGroup);

    auto* overwriteGroup = new QGroupBox(QStringLiteral("Overwrite existing"));
    auto* overwriteColumn = new QVBoxLayout(overwriteGroup);
    m_Overwrite = new QButtonGroup(this);
    m_Overwrite->setObjectName(QStringLiteral("overwrite"));
    const QStringList choices = {QStringLiteral("&Ask"), QStringLiteral("&Replace"), QStringLiteral("Re&name"),
                                 QStringLiteral("&Skip")};
    for (int i = 0; i < choices.size(); ++i) {
        auto* radio = new QRadioButton(choices[i]);
        m_Overwrite->addButton(radio, i);
        overwriteColumn->addWidget(radio);
    }
    QAbstractButton* chosen = m_Overwrite->button(settings.ConvertOverwrite);
    (chosen ? chosen : m_Overwrite->button(0))->setChecked(true);
    layout->addWidget(overwriteGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CConvertDialog::accept()
{
    m_Settings.ConvertFormat = m_Format->currentIndex();
    m_Settings.ConvertReplaceOriginal = m_Replace->isChecked() ? 1 : 0;
    m_Settings.ConvertOverwrite = m_Overwrite->checkedId();
    QDialog::accept();
}
