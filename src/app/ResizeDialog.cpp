#include "app/ResizeDialog.h"

#include "app/SizeFields.h"
#include "ops/Units.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLineEdit>

CResizeDialog::CResizeDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, false, parent)
{
    setWindowTitle(QStringLiteral("Resize"));
    m_Size = new CSizeFields(m_Width, m_Height, settings.ImageSizeUnit);
    fieldsLayout()->addWidget(m_Size);
    m_Constrain = new QCheckBox(QStringLiteral("&Constrain proportions"));
    m_Constrain->setObjectName(QStringLiteral("constrainCheck"));
    m_Constrain->setChecked(settings.ResizeConstrain != 0);
    fieldsLayout()->addWidget(m_Constrain);
    // Only what the user types moves the other side, not the text set here.
    connect(m_Size->widthEdit(), &QLineEdit::textEdited, this, &CResizeDialog::widthEdited);
    connect(m_Size->heightEdit(), &QLineEdit::textEdited, this, &CResizeDialog::heightEdited);
    finishLayout();
}

void CResizeDialog::widthEdited()
{
    double width = 0;
    if (!m_Constrain->isChecked() || !ReadNumber(m_Size->widthEdit(), width))
        return;
    m_Size->heightEdit()->setText(LengthText(ProportionalHeight(width, m_Width, m_Height), m_Size->unit()));
}

void CResizeDialog::heightEdited()
{
    double height = 0;
    if (!m_Constrain->isChecked() || !ReadNumber(m_Size->heightEdit(), height))
        return;
    m_Size->widthEdit()->setText(LengthText(ProportionalWidth(height, m_Width, m_Height), m_Size->unit()));
}

QString CResizeDialog::checkFields() const
{
    QString message = CheckNumber(m_Size->widthEdit(), kMinimum, kMaximum);
    return message.isEmpty() ? CheckNumber(m_Size->heightEdit(), kMinimum, kMaximum) : message;
}

COperationDialog::Operation CResizeDialog::operation() const
{
    const int64_t width = m_Size->newWidth(), height = m_Size->newHeight();
    return [=](CEditBmp& bmp) { return bmp.resize(width, height); };
}

QString CResizeDialog::errorText() const
{
    return QStringLiteral("Error resizing image");
}

void CResizeDialog::storeSettings()
{
    m_Settings.ResizeConstrain = m_Constrain->isChecked() ? 1 : 0;
}
