// CKeypadShortcuts: makes the keypad accelerators of the menus ("Num++",
// "Num+1", ...) work where the window system reports a keypad key but Qt's
// shortcut matching drops the keypad modifier (X11), so the key would
// otherwise arrive as a plain key press nobody takes.
#pragma once

#include <QObject>

class CMainWindow;
class QKeyEvent;
class QWidget;

class CKeypadShortcuts : public QObject {
public:
    // Watches the key presses of the whole application on window's behalf.
    explicit CKeypadShortcuts(CMainWindow& window);
    ~CKeypadShortcuts() override;

    // The command of the menu now shown whose accelerator is this keypad
    // key; 0 for none (also for a key that is not on the keypad).
    int commandFor(const QKeyEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handle(QWidget* receiver, QKeyEvent& event);

    CMainWindow& m_Window;
    bool m_Probing = false;
};
