// Help: the contents window lists every menu command with its key and help
// text, comes once and closes with Esc; About names the version and licence.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QKeySequence>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

// Every table row of the document, its cells joined by "|".
QStringList TableRows(QTextDocument* document)
{
    QStringList rows;
    QTextFrame* root = document->rootFrame();
    for (auto it = root->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (!table)
            continue;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                QTextCursor cursor = table->cellAt(r, c).firstCursorPosition();
                cursor.setPosition(table->cellAt(r, c).lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText();
            }
            rows << cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QString Plain(const char* label)
{
    return QString::fromLatin1(label).remove(QLatin1Char('&')).trimmed();
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT

    MessageRecorder m_Boxes;

private slots:
    void init()
    {
        m_Boxes.Start();
    }
    void cleanup() { m_Boxes.Stop(); }

    void contentsListEveryMenuCommand()
    {
        CMainWindow window;
        window.show();
        window.runCommand(ID_HELP_CONTENTS);
        auto* help = window.findChild<CHelpWindow*>();
        QVERIFY(help);
        const QStringList rows = TableRows(help->browser()->document());
        QVERIFY(rows.contains(QStringLiteral("Contents...|F1|Shows the help contents.")));
        QVERIFY(rows.contains(QStringLiteral("Options...|Shift+O|Changes the program's options.")));
        QVERIFY(rows.contains(QStringLiteral("Rotate > CW 90 degrees||Rotates the image clockwise, 90 degrees.")));

        QSet<int> ids;
        for (const auto* menu : {&BrowserMenu(), &ViewerMenu()})
            for (int id : MenuCommands(*menu))
                ids.insert(id);
        QVERIFY(ids.contains(ID_SLIDE_RUN) && ids.contains(ID_VIEWER) && ids.contains(ID_BROWSER));
        for (int id : ids) {
            const CommandInfo* info = FindCommand(id);
            const QString key = QKeySequence::fromString(QString::fromLatin1(info->Accelerator),
                                                         QKeySequence::PortableText)
                                    .toString(QKeySequence::NativeText);
            const QString tail = QStringLiteral("|%1|%2").arg(key, QString::fromLatin1(info->HelpText));
            bool found = false;
            for (const QString& row : rows)
                found = found || (row.endsWith(tail) && row.section(QLatin1Char('|'), 0, 0).endsWith(Plain(info->Label)));
            QVERIFY2(found, qPrintable(QStringLiteral("%1: %2").arg(id).arg(Plain(info->Label) + tail)));
        }
        // And the licence, in full.
        const QString text = help->browser()->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Copyright (c) 2026 Varnosk Software")));
        QVERIFY(text.contains(QStringLiteral("Permission is hereby granted")));
        QVERIFY(text.contains(QStringLiteral(OCULANE_VERSION)));
    }

    void oneNonModalWindowThatEscCloses()
    {
        CMainWindow window;
        window.show();
        window.runCommand(ID_HELP_CONTENTS);
        window.runCommand(ID_HELP_CONTENTS);
        QCOMPARE(window.findChildren<CHelpWindow*>().size(), 1);
        auto* help = window.findChild<CHelpWindow*>();
        QVERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        // The main window goes on taking commands meanwhile.
        QVERIFY(window.isCommandEnabled(ID_VIEWER));
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help->browser(), Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        window.runCommand(ID_HELP_CONTENTS);
        QVERIFY(help->isVisible());
        QCOMPARE(window.findChildren<CHelpWindow*>().size(), 1);
    }

    void aboutNamesVersionAndLicence()
    {
        CMainWindow window;
        window.runCommand(ID_ABOUT);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        const QString& about = m_Boxes.Texts[0];
        QVERIFY2(about.startsWith(QStringLiteral("Oculane " OCULANE_VERSION "\n")), qPrintable(about));
        QVERIFY(about.contains(QStringLiteral("Copyright (c) 2026 Varnosk Software")));
        QVERIFY(about.contains(QStringLiteral("MIT License")));
        QVERIFY(about.contains(QStringLiteral("(Qt, libjpeg-turbo, libpng, zlib, libtiff, cairo)")));
    }

    void howToUseHelpIsAShortText()
    {
        CMainWindow window;
        window.runCommand(ID_HELP_USING);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QVERIFY(m_Boxes.Texts[0].contains(QStringLiteral("F1")));
        QVERIFY(m_Boxes.Texts[0].contains(QStringLiteral("Esc")));
        QVERIFY(!window.findChild<CHelpWindow*>());
    }
};

OCULANE_APP_TEST(HelpTest)

#include "HelpTest.moc"
