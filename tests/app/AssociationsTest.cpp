// Set file associations, from the Tools menu and from the command line, with
// the desktop's folders in a temporary folder.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <utility>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class AssociationsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_Dir;
    QByteArray m_OldData, m_OldConfig;

    QString mimeApps() const { return m_Dir.filePath(QStringLiteral("config/mimeapps.list")); }
    QString desktopEntry() const { return m_Dir.filePath(QStringLiteral("data/applications/oculane.desktop")); }

    // Runs the command; the dialog gets `tick` ticked (the rest as it starts) and OK or Cancel.
    QStringList runDialog(const QString& tick, bool ok, QStringList* ticked = nullptr)
    {
        QStringList errors;
        MessageBox::SetHook([&errors](QWidget*, const QString& text, int) {
            errors << text;
            return 0;
        });
        CMainWindow window;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (ticked)
                for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                    if (box->isChecked())
                        *ticked << box->objectName();
            if (auto* box = tick.isEmpty() ? nullptr : dialog->findChild<QCheckBox*>(tick))
                box->setChecked(true);
            ok ? dialog->accept() : dialog->reject();
        });
        window.runCommand(ID_ASSOCIATIONS);
        MessageBox::SetHook({});
        return errors;
    }

private slots:
    void init()
    {
        QVERIFY(m_Dir.isValid());
        QFile::remove(mimeApps());
        QFile::remove(desktopEntry());
        m_OldData = qgetenv("XDG_DATA_HOME");
        m_OldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", m_Dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_Dir.filePath(QStringLiteral("config")).toUtf8());
    }
    void cleanup()
    {
        for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", m_OldData}, std::pair{"XDG_CONFIG_HOME", m_OldConfig}}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

    void dialogOkWritesTheEntryAndTheDefault()
    {
        QCOMPARE(runDialog(QStringLiteral("jpg"), true), QStringList());
        QCOMPARE(ReadAll(mimeApps()), QByteArray("[Default Applications]\nimage/jpeg=oculane.desktop;\n"));
        const QByteArray entry = ReadAll(desktopEntry());
        QVERIFY(entry.contains("\nMimeType=image/jpeg;\n"));
        QVERIFY(entry.contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " %F\n"));
        QVERIFY(QFileInfo::exists(m_Dir.filePath(QStringLiteral("data/icons/hicolor/scalable/apps/oculane.svg"))));

        // The dialog then starts with JPG ticked, and only JPG.
        QStringList ticked;
        QCOMPARE(runDialog(QString(), false, &ticked), QStringList());
        QCOMPARE(ticked, QStringList{QStringLiteral("jpg")});
    }

    void dialogCancelChangesNothing()
    {
        QCOMPARE(runDialog(QStringLiteral("png"), false), QStringList());
        QVERIFY(!QFileInfo::exists(mimeApps()));
        QVERIFY(!QFileInfo::exists(desktopEntry()));
    }

    void unwritableListIsReported()
    {
        // A folder where the list should be: reading it fails, nothing is written.
        QVERIFY(QDir().mkpath(mimeApps()));
        const QStringList errors = runDialog(QStringLiteral("gif"), true);
        QDir().rmdir(mimeApps());
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("mimeapps.list")), qPrintable(errors[0]));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("mimeApps");
        QTest::newRow("associate") << QStringList{"--associate", "jpg,png"} << 0
                                   << QByteArray("[Default Applications]\nimage/jpeg=oculane.desktop;\n"
                                                 "image/png=oculane.desktop;\n");
        QTest::newRow("unknown extension") << QStringList{"--associate", "jpg,nosuchtype"} << 1 << QByteArray();
        QTest::newRow("no extension") << QStringList{"--unassociate", ","} << 2 << QByteArray();
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, mimeApps);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/oculane");
        if (!QFileInfo(program).isExecutable())
            QSKIP("the oculane program is not built beside the tests");
        QProcess process;
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QByteArray error = process.readAllStandardError();
        QCOMPARE(error.isEmpty(), exitCode == 0);
        QCOMPARE(ReadAll(this->mimeApps()), mimeApps);
    }
};

OCULANE_APP_TEST(AssociationsTest)

#include "AssociationsTest.moc"
