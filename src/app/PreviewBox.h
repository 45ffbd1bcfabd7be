// The preview box of the operation dialogs: the preview image centred on the
// button face, at its own size when it fits, otherwise shrunk to fit with its
// proportions kept and smoothed. Empty until the first image is set.
#pragma once

#include <QFrame>
#include <QImage>

class CBmp;

class CPreviewBox : public QFrame {
    Q_OBJECT
public:
    explicit CPreviewBox(QWidget* parent = nullptr);

    // Takes a picture of a 32-bit image as the box shows it; the image is not
    // kept, so it may change or go afterwards.
    void setImage(const CBmp& image);
    void clear();
    bool isEmpty() const { return m_Shown.isNull(); }
    // The picture as drawn (display size), for tests.
    const QImage& shown() const { return m_Shown; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_Shown;
};
