// The size fields of "Resize" and "Canvas Size": the current width and height
// as texts and the new ones as edits, both in the length unit of the options.
#pragma once

#include <QWidget>

#include <cstdint>

class QLineEdit;

class CSizeFields : public QWidget {
    Q_OBJECT
public:
    // The new size starts at the current one.
    CSizeFields(int width, int height, int unit, QWidget* parent = nullptr);

    QLineEdit* widthEdit() const { return m_NewWidth; }
    QLineEdit* heightEdit() const { return m_NewHeight; }
    int unit() const { return m_Unit; }

    // The new size in pixels; call after the edits passed their checks.
    int64_t newWidth() const;
    int64_t newHeight() const;

private:
    int m_Unit;
    QLineEdit* m_NewWidth;
    QLineEdit* m_NewHeight;
};
