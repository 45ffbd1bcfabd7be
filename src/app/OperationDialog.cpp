#include "app/OperationDialog.h"

#include "app/MessageBox.h"
#include "app/PreviewBox.h"
#include "browser/NumberFormat.h"
#include "ops/NewImage.h"
#include "ops/Units.h"
#include "settings/Settings.h"

#include "base/TextException.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

const char* const COperationDialog::kTextOutOfMemory = "Out of Memory!";

namespace {

COperationDialog::ColorChooser& CurrentChooser()
{
    static COperationDialog::ColorChooser chooser;
    return chooser;
}

QColor ToQColor(ColorRef color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

ColorRef ToColorRef(const QColor& color)
{
    return ColorRef(color.red()) | ColorRef(color.green()) << 8 | ColorRef(color.blue()) << 16;
}

} // namespace

void COperationDialog::SetColorChooser(ColorChooser chooser)
{
    CurrentChooser() = std::move(chooser);
}

void COperationDialog::ReportOutOfMemory(QWidget* parent)
{
    MessageBox::Error(parent, QString::fromLatin1(kTextOutOfMemory));
}

COperationDialog::COperationDialog(const CWinBmp& image, CSettings& settings, bool withPreview, QWidget* parent)
    : QDialog(parent), m_Width(image.Width), m_Height(image.Height), m_Settings(settings)
{
    if (withPreview) {
        // The operations work on 32-bit images; the copy is checked against
        // the memory cap like every image an operation makes.
        auto copy = std::make_unique<CWinBmp>();
        try {
            CheckNewImageSize(image.Width, image.Height);
        } catch (const CTextException&) {
            throw std::bad_alloc();
        }
        copy->CopyFrom(image, 32);
        m_Preview = std::make_unique<CEditBmp>();
        m_Preview->reset(std::move(copy), std::string(), false);
    }

    auto* top = new QHBoxLayout;
    m_Fields = new QVBoxLayout;
    top->addLayout(m_Fields);
    if (withPreview) {
        auto* column = new QVBoxLayout;
        m_Box = new CPreviewBox;
        m_Box->setObjectName(QStringLiteral("previewBox"));
        auto* button = new QPushButton(QStringLiteral("&Preview"));
        button->setObjectName(QStringLiteral("previewButton"));
        connect(button, &QPushButton::clicked, this, &COperationDialog::preview);
        column->addWidget(m_Box);
        column->addWidget(button, 0, Qt::AlignHCenter);
        column->addStretch(1);
        top->addLayout(column);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
}

void COperationDialog::finishLayout()
{
    m_Fields->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &COperationDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &COperationDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    static_cast<QBoxLayout*>(layout())->addLayout(buttons);
    setFixedSize(sizeHint());
}

QGroupBox* COperationDialog::makeFillColorGroup(const QString& title)
{
    auto* group = new QGroupBox(title);
    m_Swatch = new QLabel;
    m_Swatch->setObjectName(QStringLiteral("fillSwatch"));
    m_Swatch->setFixedSize(48, 22);
    m_Swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_Swatch->setAutoFillBackground(true);
    auto* choose = new QPushButton(QStringLiteral("&Choose Color"));
    choose->setObjectName(QStringLiteral("chooseColorButton"));
    connect(choose, &QPushButton::clicked, this, &COperationDialog::chooseColor);
    auto* row = new QHBoxLayout(group);
    row->addWidget(m_Swatch);
    row->addWidget(choose);
    row->addStretch(1);
    showFillColor();
    return group;
}

void COperationDialog::showFillColor()
{
    QPalette palette = m_Swatch->palette();
    palette.setColor(QPalette::Window, ToQColor(m_Settings.BackgroundColor));
    m_Swatch->setPalette(palette);
}

void COperationDialog::chooseColor()
{
    ColorRef color = m_Settings.BackgroundColor;
    bool chosen = false;
    if (const ColorChooser& chooser = CurrentChooser()) {
        chosen = chooser(this, color);
    } else {
        const QColor picked = QColorDialog::getColor(ToQColor(color), this);
        chosen = picked.isValid();
        if (chosen)
            color = ToColorRef(picked);
    }
    if (!chosen)
        return;
    // Shared by the fill dialogs and kept even when this one is cancelled.
    m_Settings.BackgroundColor = color & 0x00FFFFFF;
    showFillColor();
}

void COperationDialog::preview()
{
    if (!m_Preview)
        return;
    if (const QString message = checkFields(); !message.isEmpty()) {
        MessageBox::Warning(this, message);
        return;
    }
    if (const QString message = refusal(); !message.isEmpty()) {
        MessageBox::Warning(this, message);
        return;
    }
    // Back to the image as it came before applying again, so previews
    // never accumulate.
    if (m_Preview->undoAvailable())
        m_Preview->undo();
    try {
        operation()(*m_Preview);
        m_Preview->image().SourceBitsPerPixel = 24;
    } catch (const std::exception&) {
        MessageBox::Error(this, errorText());
    }
    m_Box->setImage(m_Preview->image());
}

void COperationDialog::accept()
{
    if (const QString message = checkFields(); !message.isEmpty()) {
        MessageBox::Warning(this, message);
        return;
    }
    storeSettings();
    const QString refused = refusal();
    if (refused.isEmpty()) {
        QDialog::accept();
        return;
    }
    // Closed first: the message belongs to the command, not to the dialog.
    done(kRefused);
    MessageBox::Warning(parentWidget(), refused);
}

QString COperationDialog::CheckInteger(const QSpinBox* field, int low, int high)
{
    const int value = field->value();
    if (value >= low && value <= high)
        return {};
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

bool COperationDialog::ReadNumber(const QLineEdit* field, double& value)
{
    bool ok = false;
    // The C locale without group separators: "1,5" is not a number.
    value = field->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

QString COperationDialog::CheckNumber(const QLineEdit* field, double low, double high)
{
    double value = 0;
    if (!ReadNumber(field, value))
        return QStringLiteral("Please enter a number.");
    if (value >= low && value <= high)
        return {};
    return QStringLiteral("Please enter a number between %1 and %2.")
        .arg(QString::fromStdString(FormatNumber(low, 4)), QString::fromStdString(FormatNumber(high, 4)));
}

QString COperationDialog::LengthText(double value, int unit)
{
    return QString::fromStdString(FormatNumber(value, UnitDecimals(unit)));
}
