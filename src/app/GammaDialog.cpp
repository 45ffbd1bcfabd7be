#include "app/GammaDialog.h"

#include "app/ColorDialogFields.h"
#include "base/TextException.h"
#include "ops/ColorRange.h"

#include <QBoxLayout>

#include <algorithm>
#include <new>

using namespace ColorDialogFields;

const char* const CContrastDialog::kTextTooManyColors = "Error.\nThis image contains too many colors.  ";

CLevelDialog::CLevelDialog(const CWinBmp& image, CSettings& settings, QWidget* parent, const QString& title,
                           const char* error)
    : COperationDialog(image, settings, true, parent), m_Error(error)
{
    setWindowTitle(title);
    m_Value = IntegerEdit("valueEdit", 0);
    auto* grid = new QGridLayout;
    AddRow(grid, QStringLiteral("Value (-100 to +100) :"), m_Value);
    fieldsLayout()->addLayout(grid);
    finishLayout();
}

QString CLevelDialog::checkFields() const
{
    return CheckInteger(m_Value, -100, 100);
}

QString CLevelDialog::errorText() const
{
    return QString::fromLatin1(m_Error);
}

int CLevelDialog::value() const
{
    return m_Value->value();
}

CGammaDialog::CGammaDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : CLevelDialog(image, settings, parent, QStringLiteral("Gamma Correction"), "Can't adjust gamma")
{
}

COperationDialog::Operation CGammaDialog::operation() const
{
    const double g = (value() + 100) * 0.01;
    return [g](CEditBmp& bmp) {
        bmp.gamma(g);
        return false;
    };
}

CBrightnessDialog::CBrightnessDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : CLevelDialog(image, settings, parent, QStringLiteral("Brightness"), "Error adjusting brightness")
{
}

COperationDialog::Operation CBrightnessDialog::operation() const
{
    const int v = value();
    return [v](CEditBmp& bmp) {
        bmp.brightness(v);
        return false;
    };
}

CContrastDialog::CContrastDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : CLevelDialog(image, settings, parent, QStringLiteral("Contrast"), "Error adjusting contrast")
{
}

COperationDialog::Operation CContrastDialog::operation() const
{
    const int v = value();
    return [v](CEditBmp& bmp) {
        // The dialog has checked the colours of the image it was opened on;
        // should the view hold another one by now, this is a failure.
        if (bmp.contrast(v) == -2)
            throw CTextException(ErrUnsupported, kTextTooManyColors);
        return false;
    };
}

QString CContrastDialog::refusal() const
{
    // The preview copy holds the view's image, or has it as its undo copy
    // once a preview changed it.
    const CEditBmp* copy = previewCopy();
    if (!copy)
        return {};
    const CWinBmp& image = copy->undoAvailable() ? copy->undoCopy() : copy->image();
    try {
        const int64_t limit = std::min(int64_t(image.Width) * image.Height, CEditBmp::kContrastColorLimit);
        if (DistinctMeanRange(image, limit).TooManyColors)
            return QString::fromLatin1(kTextTooManyColors);
    } catch (const std::bad_alloc&) {
        // Not known here; the operation will say so.
    }
    return {};
}
