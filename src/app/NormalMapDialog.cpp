#include "app/NormalMapDialog.h"

#include "ops/FilterNormalMap.h"
#include "settings/Settings.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

static_assert(NormalMapMethodCount == 9);

CNormalMapDialog::CNormalMapDialog(const CWinBmp& image, CSettings& settings, QWidget* parent)
    : COperationDialog(image, settings, true, parent)
{
    setWindowTitle(QStringLiteral("NormalMap Filter"));
    auto* group = new QGroupBox(QStringLiteral("Generation Method"));
    auto* grid = new QGridLayout(group);
    const int chosen = settings.NormalMapMethod >= 0 && settings.NormalMapMethod < NormalMapMethodCount
                           ? settings.NormalMapMethod
                           : int(NormalMapAverage);
    for (int i = 0; i < NormalMapMethodCount; ++i) {
        m_Methods[i] = new QRadioButton(QString::fromLatin1(kNormalMapMethodNames[i]));
        m_Methods[i]->setObjectName(QStringLiteral("methodRadio%1").arg(i));
        m_Methods[i]->setChecked(i == chosen);
        grid->addWidget(m_Methods[i], i % 5, i / 5);
    }
    fieldsLayout()->addWidget(group);

    // An edit rather than a spin box, so a wrong number can be typed and named.
    m_Scale = new QLineEdit(QString::number(double(settings.NormalMapScale), 'g', 7));
    m_Scale->setObjectName(QStringLiteral("scaleEdit"));
    auto* label = new QLabel(QStringLiteral("Height Scale Factor"));
    label->setBuddy(m_Scale);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_Scale);
    fieldsLayout()->addLayout(row);
    finishLayout();
}

int CNormalMapDialog::method() const
{
    for (int i = 0; i < NormalMapMethodCount; ++i)
        if (m_Methods[i]->isChecked())
            return i;
    return NormalMapAverage;
}

double CNormalMapDialog::scale() const
{
    double value = 0;
    return ReadNumber(m_Scale, value) ? value : 0;
}

QString CNormalMapDialog::checkFields() const
{
    // Only finite factors within the limit: the map is computed from them.
    return CheckNumber(m_Scale, -kNormalMapScaleLimit, kNormalMapScaleLimit);
}

COperationDialog::Operation CNormalMapDialog::operation() const
{
    const int chosen = method();
    const double factor = scale();
    return [=](CEditBmp& bmp) {
        bmp.normalMap(chosen, factor);
        return false;
    };
}

QString CNormalMapDialog::errorText() const
{
    // The command has no error text of its own; its only failure is memory.
    return QStringLiteral("Out of memory.");
}

void CNormalMapDialog::storeSettings()
{
    m_Settings.NormalMapMethod = method();
    m_Settings.NormalMapScale = float(scale());
}
