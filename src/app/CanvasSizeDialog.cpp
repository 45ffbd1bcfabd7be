#include "app/CanvasSizeDialog.h"

#include "app/SizeFields.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QToolButton>

namespace {

// Where each anchor value sits in the 3 x 3 group, and the arrow it shows
// (the direction the image keeps to).
struct AnchorCell {
    int Row, Column;
    const char* Mark;
};
constexpr AnchorCell kAnchorCells[9] = {
    {1, 1, "\u25CF"}, {0, 0, "\u2196"}, {0, 1, "\u2191"}, {0, 2, "\u2197"}, {1, 0, "\u2190"},
    {1, 2, "\u2192"}, {2, 0, "\u2199"}, {2, 1, "\u2193"}, {2, 2, "\u2198"},
};

} // namespace

CCanvasSizeDialog::CCanvasSizeDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("Canvas Size"));
    m_Size = new CSizeFields(m_Width, m_Height, settings.ImageSizeUnit);
    fieldsLayout()->addWidget(m_Size);

    auto* anchor = new QGroupBox(QStringLiteral("Anchor"));
    auto* grid = new QGridLayout(anchor);
    grid->setSpacing(2);
    m_Anchor = new QButtonGroup(this);
    m_Anchor->setExclusive(true);
    for (int value = 0; value < 9; ++value) {
        auto* button = new QToolButton;
        button->setObjectName(QStringLiteral("anchor%1").arg(value));
        button->setCheckable(true);
        button->setText(QString::fromUtf8(kAnchorCells[value].Mark));
        button->setFixedSize(28, 28);
        m_Anchor->addButton(button, value);
        grid->addWidget(button, kAnchorCells[value].Row, kAnchorCells[value].Column);
    }
    const int stored = settings.CanvasAnchor >= 0 && settings.CanvasAnchor < 9 ? settings.CanvasAnchor : 0;
    m_Anchor->button(stored)->setChecked(true);
    auto* anchorRow = new QHBoxLayout;
    anchorRow->addWidget(anchor);
    anchorRow->addStretch(1);
    fieldsLayout()->addLayout(anchorRow);

    fieldsLayout()->addWidget(makeFillColorGroup(QStringLiteral("Background Fill Color")));
    finishLayout();
}

QString CCanvasSizeDialog::checkFields() const
{
    QString message = CheckNumber(m_Size->widthEdit(), kMinimum, kMaximum);
    return message.isEmpty() ? CheckNumber(m_Size->heightEdit(), kMinimum, kMaximum) : message;
}

COperationDialog::Operation CCanvasSizeDialog::operation() const
{
    const int64_t width = m_Size->newWidth(), height = m_Size->newHeight();
    const int anchor = m_Anchor->checkedId();
    const ColorRef fill = m_Settings.BackgroundColor;
    return [=](CEditBmp& bmp) { return bmp.canvas(width, height, anchor, fill); };
}

QString CCanvasSizeDialog::errorText() const
{
    return QStringLiteral("Error resizing canvas");
}

void CCanvasSizeDialog::storeSettings()
{
    m_Settings.CanvasAnchor = m_Anchor->checkedId();
}
