// The drawing area of the histogram dialog: one bar per level, the tallest
// 100 pixels above the base line.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class CHistogramView : public QWidget {
public:
    explicit CHistogramView(QWidget* parent = nullptr);

    // The counters of the levels 0..255 to draw; all zero draws no bars.
    void setCounts(const std::array<int64_t, 256>& counts);

    // Height in pixels of the bar of a level: count × 100 / max (integer
    // division), 0 when max is 0.
    static int barHeight(int64_t count, int64_t max);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<int64_t, 256> m_Counts{};
};
