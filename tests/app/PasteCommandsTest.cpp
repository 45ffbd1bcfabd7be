// Copy, Cut, Paste and Copy To driven by command id, with the dialogs they
// open pressed as a user would.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/CommandTable.h"
#include "app/ConfirmReplaceDialog.h"
#include "app/CopyToDialog.h"
#include "app/FileListView.h"
#include "app/JobProgressDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "platform/Directory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QString SamplePath(const char* name)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/samples/" + name;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QAbstractButton* ButtonOf(QWidget* widget, const QString& text)
{
    for (QAbstractButton* button : widget->findChildren<QAbstractButton*>())
        if (button->text() == text && button->isVisible())
            return button;
    return nullptr;
}

template <class T>
T* Shown()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible())
            return found;
    return nullptr;
}

// Calls act once a visible T is there (polled from the running dialog's event loop).
template <class T>
void WhenShown(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (T* widget = Shown<T>()) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        }
    });
    timer->start(10);
}

} // namespace

class PasteCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    QString m_From, m_To;
    MessageRecorder m_Boxes;
    std::string m_StartFolder;

    std::unique_ptr<CMainWindow> open(const QString& folder)
    {
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        window->resize(900, 600);
        window->show();
        if (!window->startUp(folder.toStdString()) || !QTest::qWaitFor([&] { return window->isIdle(); }, 10000))
            return nullptr;
        return window;
    }

    static void select(CMainWindow& window, const QStringList& names)
    {
        CFolderListing& listing = window.listing();
        listing.UnselectAll();
        for (const QString& name : names)
            listing.SetSelected(static_cast<size_t>(listing.FindRow(name.toStdString())), true);
        listing.UpdateSelection();
        window.fileList()->pushSelection();
    }

private slots:
    void init()
    {
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        const QString root = QDir(m_Dir->path()).canonicalPath();
        m_From = root + "/from";
        m_To = root + "/to";
        QVERIFY(QDir().mkpath(m_From + "/sub"));
        QVERIFY(QDir().mkpath(m_To));
        QVERIFY(QFile::copy(SamplePath("bmp-8bit.bmp"), m_From + "/a.bmp"));
        QVERIFY(QFile::copy(SamplePath("png-rgba-gradient.png"), m_From + "/b.png"));
        QVERIFY(QFile::copy(SamplePath("bmp-24bit.bmp"), m_From + "/sub/d.bmp"));
        m_Boxes.Start(1);
    }

    void cleanup()
    {
        m_Boxes.Stop();
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void copyThenPasteCopiesTheFiles()
    {
        auto window = open(m_From);
        QVERIFY(window);
        select(*window, {"a.bmp", "b.png"});
        window->runCommand(ID_COPY);
        QVERIFY(window->goToFolder(m_To.toStdString()));
        window->runCommand(ID_PASTE);
        QCOMPARE(m_Boxes.Texts, QStringList{QStringLiteral("Copy 2 file(s)\n\nFrom: %1\nTo:    %2").arg(m_From, m_To)});
        QCOMPARE(Contents(m_To + "/a.bmp"), Contents(m_From + "/a.bmp"));
        QCOMPARE(Contents(m_To + "/b.png"), Contents(m_From + "/b.png"));
        QCOMPARE(window->listing().RowCount(), size_t(2));
    }

    void refusedPastes_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("into");
        QTest::addColumn<QString>("message");
        QTest::newRow("files into their own folder")
            << false << "" << "You cannot copy/move a file or directory to itself.";
        QTest::newRow("folder into its subfolder")
            << true << "/sub"
            << "Cannot copy 'from'\nThe destination directory is a subdirectory of the source directory.";
        QTest::newRow("folder into itself") << true << "" << "You cannot copy/move a file or directory to itself.";
        QTest::newRow("folder into its parent") << true << "/.." << "You cannot copy/move a file or directory to itself.";
    }

    void refusedPastes()
    {
        QFETCH(bool, folder);
        QFETCH(QString, into);
        QFETCH(QString, message);
        auto window = open(m_From);
        QVERIFY(window);
        select(*window, {"a.bmp"});
        window->runCommand(folder ? 237 : ID_COPY);  // 237: the folder tree's Copy
        QVERIFY(window->goToFolder(QDir::cleanPath(m_From + into).toStdString()));
        const QStringList before = Entries(m_From);
        window->runCommand(ID_PASTE);
        QCOMPARE(m_Boxes.Texts, QStringList{message});
        QCOMPARE(Entries(m_From), before);
    }

    void pasteWithNothingMarkedIsRefused()
    {
        auto window = open(m_To);
        QVERIFY(window);
        window->runCommand(ID_PASTE);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QVERIFY(m_Boxes.Texts[0].startsWith("Nothing is marked to paste."));
    }

    void cutThenPasteMoves()
    {
        auto window = open(m_From);
        QVERIFY(window);
        window->settings().ConfirmCopyMove = 0;
        const QByteArray data = Contents(m_From + "/a.bmp");
        select(*window, {"a.bmp"});
        window->runCommand(ID_CUT);
        QVERIFY(window->goToFolder(m_To.toStdString()));
        window->runCommand(ID_PASTE);
        QVERIFY(m_Boxes.Texts.isEmpty());
        QVERIFY(!QFile::exists(m_From + "/a.bmp"));
        QCOMPARE(Contents(m_To + "/a.bmp"), data);
        // The marked names are used up.
        window->runCommand(ID_PASTE);
        QCOMPARE(m_Boxes.Texts.size(), 1);
    }

    void skipInConfirmReplaceKeepsBoth()
    {
        QVERIFY(QFile::copy(SamplePath("bmp-4bit.bmp"), m_To + "/a.bmp"));
        const QByteArray target = Contents(m_To + "/a.bmp");
        auto window = open(m_From);
        QVERIFY(window);
        window->settings().ConfirmCopyMove = 0;
        window->settings().OverwriteExisting = 0;
        select(*window, {"a.bmp"});
        window->runCommand(ID_CUT);
        QVERIFY(window->goToFolder(m_To.toStdString()));
        QString replaced, with;
        WhenShown<CConfirmReplaceDialog>([&](CConfirmReplaceDialog* dialog) {
            replaced = dialog->findChild<QWidget*>("replaceFile")->findChild<QLabel*>("path")->toolTip();
            with = dialog->findChild<QWidget*>("withFile")->findChild<QLabel*>("path")->toolTip();
            ButtonOf(dialog, "&Skip")->click();
        });
        window->runCommand(ID_PASTE);
        QCOMPARE(replaced, m_To + "/a.bmp");
        QCOMPARE(with, m_From + "/a.bmp");
        QVERIFY(m_Boxes.Texts.isEmpty());
        QCOMPARE(Contents(m_To + "/a.bmp"), target);
        QVERIFY(QFile::exists(m_From + "/a.bmp"));
    }

    void cancelWhileConfirmReplaceWaits()
    {
        QVERIFY(QFile::copy(SamplePath("bmp-4bit.bmp"), m_To + "/a.bmp"));
        const QByteArray target = Contents(m_To + "/a.bmp");
        auto window = open(m_From);
        QVERIFY(window);
        window->settings().ConfirmCopyMove = 0;
        window->settings().OverwriteExisting = 0;
        select(*window, {"a.bmp", "b.png"});
        window->runCommand(ID_COPY);
        QVERIFY(window->goToFolder(m_To.toStdString()));
        bool asked = false;
        WhenShown<CConfirmReplaceDialog>([&](CConfirmReplaceDialog*) {
            asked = true;
            ButtonOf(Shown<CJobProgressDialog>(), "Cancel")->click();
        });
        window->runCommand(ID_PASTE);
        QVERIFY(asked);
        QCOMPARE(m_Boxes.Texts, QStringList{"User abort!"});
        QVERIFY(!Shown<CConfirmReplaceDialog>());
        QCOMPARE(Entries(m_To), QStringList{"a.bmp"});
        QCOMPARE(Contents(m_To + "/a.bmp"), target);
    }

    void copyToAnotherFolder()
    {
        auto window = open(m_From);
        QVERIFY(window);
        window->settings().SelectAfterCopyMove = 1;
        select(*window, {"b.png"});
        int refusals = 0;
        WhenShown<CCopyToDialog>([&](CCopyToDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Copy To"));
            auto* field = dialog->findChild<QLineEdit*>("destination");
            QCOMPARE(field->text(), m_From);
            ButtonOf(dialog, "&OK")->click();  // the source folder: refused, the dialog stays
            refusals = m_Boxes.Texts.count("You must select another directory.");
            QVERIFY(dialog->isVisible());
            field->setText(m_To);
            ButtonOf(dialog, "&OK")->click();
        });
        window->runCommand(ID_COPY_TO);
        QCOMPARE(refusals, 1);
        QCOMPARE(Contents(m_To + "/b.png"), Contents(m_From + "/b.png"));
        // "After copy/move": the destination is shown with the copy current.
        QCOMPARE(QString::fromStdString(window->navigator().CurrentFolder()), m_To);
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("b.png"));
    }
};

#include "PasteCommandsTest.moc"

OCULANE_APP_TEST(PasteCommandsTest)
