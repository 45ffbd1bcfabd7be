// The "Histogram" dialog: the levels of luma, red, green or blue, chosen in
// a list, drawn as bars.
#pragma once

#include "ops/Histogram.h"

#include <QDialog>

class CHistogramView;
class QComboBox;

class CHistogramDialog : public QDialog {
public:
    CHistogramDialog(const LevelHistogram& histogram, QWidget* parent = nullptr);

    QComboBox* channelList() const { return m_Channels; }
    CHistogramView* view() const { return m_View; }

private:
    void showChannel(int channel);

    LevelHistogram m_Histogram;
    QComboBox* m_Channels = nullptr;
    CHistogramView* m_View = nullptr;
};
