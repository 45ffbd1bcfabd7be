#include "app/HistogramDialog.h"

#include "app/HistogramView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

CHistogramDialog::CHistogramDialog(const LevelHistogram& histogram, QWidget* parent) :
    QDialog(parent), m_Histogram(histogram)
{
    setWindowTitle(QStringLiteral("Histogram"));
    m_Channels = new QComboBox(this);
    // The list's order is the order of LevelHistogram's channels.
    m_Channels->addItems({QStringLiteral("Luminocity"), QStringLiteral("Red"), QStringLiteral("Green"),
                          QStringLiteral("Blue")});
    m_View = new CHistogramView(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_Channels, &QComboBox::currentIndexChanged, this, [this](int index) { showChannel(index); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Channels);
    layout->addWidget(m_View);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showChannel(LevelHistogram::kLuma);
}

void CHistogramDialog::showChannel(int channel)
{
    if (channel >= 0 && channel < LevelHistogram::kChannels)
        m_View->setCounts(m_Histogram.Levels[size_t(channel)]);
}
