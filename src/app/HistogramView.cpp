#include "app/HistogramView.h"

#include <QPainter>

#include <algorithm>

namespace {

// Level i is the column i + 1; the base line is row 101.
constexpr int kBaseLine = 101;

} // namespace

CHistogramView::CHistogramView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(258, kBaseLine + 2);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void CHistogramView::setCounts(const std::array<int64_t, 256>& counts)
{
    m_Counts = counts;
    update();
}

int CHistogramView::barHeight(int64_t count, int64_t max)
{
    return max > 0 ? int(count * 100 / max) : 0;
}

void CHistogramView::paintEvent(QPaintEvent*)
{
    const int64_t max = *std::max_element(m_Counts.begin(), m_Counts.end());
    if (max <= 0)
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    for (int i = 0; i < 256; ++i) {
        // From the base line towards row 100 - h, that row itself not drawn:
        // h + 1 pixels, so a level of count 0 is one pixel.
        painter.drawLine(i + 1, kBaseLine, i + 1, kBaseLine - barHeight(m_Counts[size_t(i)], max));
    }
}
