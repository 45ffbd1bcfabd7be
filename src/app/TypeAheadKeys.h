// While a file list has the focus, typed characters find files by name instead
// of running the commands bound to them ("IMG_0087" must not run Shift+G).
#pragma once

#include <QObject>

class QKeyEvent;

class CTypeAheadKeys : public QObject {
public:
    explicit CTypeAheadKeys(QObject* parent = nullptr) : QObject(parent) {}

    // A printable character typed with or without Shift, not from the keypad
    // (its digits zoom the preview) and not "/" (no file name holds one, and
    // it goes up a folder).
    static bool IsTypeAheadKey(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
