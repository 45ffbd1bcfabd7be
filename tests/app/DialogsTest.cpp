// The group-selection and favourites dialogs, driven through their widgets.
#include "AppTest.h"
#include "MessageRecorder.h"

#include "app/FavoriteDialogs.h"
#include "app/GroupDialog.h"
#include "app/MessageBox.h"
#include "browser/Favourites.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

template <class T>
T* Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qWarning("no child %s", name);
    return child;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private:
    MessageRecorder m_Boxes;

private slots:
    void init()
    {
        m_Boxes.Start();
    }
    void cleanup() { m_Boxes.Stop(); }

    void groupDialogStartsWithTheDefaults_data()
    {
        QTest::addColumn<bool>("select");
        QTest::newRow("Select Group") << true;
        QTest::newRow("Unselect Group") << false;
    }
    void groupDialogStartsWithTheDefaults()
    {
        QFETCH(bool, select);
        CGroupDialog dialog(select);
        QCOMPARE(dialog.windowTitle(), select ? QStringLiteral("Select Group") : QStringLiteral("Unselect Group"));
        QGroupBox* group = dialog.findChild<QGroupBox*>();
        QVERIFY(group);
        QCOMPARE(group->title(),
                 select ? QStringLiteral("Select all files with") : QStringLiteral("Unselect all files with"));
        QCOMPARE(Child<QCheckBox>(dialog, "extensionCheck")->text(), QStringLiteral("&Extension:"));
        QCOMPARE(Child<QCheckBox>(dialog, "sizeCheck")->text(), QStringLiteral("File &size:"));
        QCOMPARE(Child<QCheckBox>(dialog, "dateCheck")->text(), QStringLiteral("&Date between:"));
        for (const char* check : {"extensionCheck", "sizeCheck", "dateCheck"})
            QVERIFY(!Child<QCheckBox>(dialog, check)->isChecked());
        QCOMPARE(Child<QLineEdit>(dialog, "extensionEdit")->text(), QString());
        QCOMPARE(Child<QSpinBox>(dialog, "sizeEdit")->value(), 1);
        QCOMPARE(Child<QComboBox>(dialog, "relationCombo")->currentText(), QStringLiteral("="));
        QCOMPARE(Child<QComboBox>(dialog, "unitCombo")->currentText(), QStringLiteral("bytes"));
        QCOMPARE(Child<QComboBox>(dialog, "relationCombo")->count(), 3);
        QCOMPARE(Child<QComboBox>(dialog, "unitCombo")->itemText(2), QStringLiteral("MB"));
        for (const char* prefix : {"from", "to"}) {
            QComboBox* day = Child<QComboBox>(dialog, (std::string(prefix) + "Day").c_str());
            QComboBox* month = Child<QComboBox>(dialog, (std::string(prefix) + "Month").c_str());
            QCOMPARE(day->count(), 31);
            QCOMPARE(month->count(), 12);
            QCOMPARE(day->currentText(), QStringLiteral("1"));
            QCOMPARE(month->currentText(), QStringLiteral("1"));
            QCOMPARE(Child<QSpinBox>(dialog, (std::string(prefix) + "Year").c_str())->value(), 2000);
        }
        QLabel* hint = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == QStringLiteral("(e.g.: bmp, gif, exe)"))
                hint = label;
        QVERIFY(hint);

        QCheckBox* expand = dialog.findChild<QCheckBox*>(QStringLiteral("expandCheck"));
        QCOMPARE(expand != nullptr, select);
        if (expand) {
            QCOMPARE(expand->text(), QStringLiteral("E&xpand selection"));
            QVERIFY(!expand->isChecked());
        }
        const GroupCriteria c = dialog.criteria();
        QVERIFY(!c.AnyChecked());
        QVERIFY(!c.Expand);
    }

    void groupDialogRefusesFieldsOutOfRange_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("sizeChecked");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("dateChecked");
        QTest::addColumn<int>("fromYear");
        QTest::addColumn<int>("toYear");
        QTest::addColumn<QString>("message");
        const QString sizeMessage = QStringLiteral("Please enter a value between 1 and 2147483647 for file size.");
        const QString yearMessage = QStringLiteral("Please enter a value between 1970 and 2037.");
        QTest::newRow("size 0") << true << true << 0 << false << 2000 << 2000 << sizeMessage;
        QTest::newRow("size 0, unselect") << false << true << 0 << false << 2000 << 2000 << sizeMessage;
        QTest::newRow("size 0 unchecked") << true << false << 0 << false << 2000 << 2000 << QString();
        QTest::newRow("largest size") << true << true << 2147483647 << false << 2000 << 2000 << QString();
        QTest::newRow("year 2038") << true << false << 1 << true << 2000 << 2038 << yearMessage;
        QTest::newRow("year 1969") << false << false << 1 << true << 1969 << 2000 << yearMessage;
        QTest::newRow("year 2038 unchecked") << true << false << 1 << false << 2038 << 2038 << QString();
        QTest::newRow("years at the ends") << true << false << 1 << true << 1970 << 2037 << QString();
        QTest::newRow("size before year") << true << true << 0 << true << 2038 << 2038 << sizeMessage;
    }
    void groupDialogRefusesFieldsOutOfRange()
    {
        QFETCH(bool, select);
        QFETCH(bool, sizeChecked);
        QFETCH(int, size);
        QFETCH(bool, dateChecked);
        QFETCH(int, fromYear);
        QFETCH(int, toYear);
        QFETCH(QString, message);
        CGroupDialog dialog(select);
        dialog.show();
        Child<QCheckBox>(dialog, "sizeCheck")->setChecked(sizeChecked);
        Child<QSpinBox>(dialog, "sizeEdit")->setValue(size);
        Child<QCheckBox>(dialog, "dateCheck")->setChecked(dateChecked);
        Child<QSpinBox>(dialog, "fromYear")->setValue(fromYear);
        Child<QSpinBox>(dialog, "toYear")->setValue(toYear);
        QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        if (message.isEmpty()) {
            QVERIFY(m_Boxes.Texts.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.isVisible());
        } else {
            QCOMPARE(m_Boxes.Texts.size(), 1);
            QCOMPARE(m_Boxes.Texts[0], message);
            QCOMPARE(m_Boxes.Kinds[0], int(MessageBox::kWarning));
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.result() != QDialog::Accepted);
        }
    }

    void groupDialogGivesTheFieldsAsCriteria()
    {
        CGroupDialog dialog(true);
        dialog.show();
        Child<QCheckBox>(dialog, "extensionCheck")->setChecked(true);
        QTest::keyClicks(Child<QLineEdit>(dialog, "extensionEdit"), QStringLiteral("Bmp"));
        Child<QCheckBox>(dialog, "sizeCheck")->setChecked(true);
        Child<QSpinBox>(dialog, "sizeEdit")->setValue(250);
        Child<QComboBox>(dialog, "relationCombo")->setCurrentIndex(2);
        Child<QComboBox>(dialog, "unitCombo")->setCurrentIndex(1);
        Child<QCheckBox>(dialog, "dateCheck")->setChecked(true);
        Child<QComboBox>(dialog, "fromDay")->setCurrentIndex(2);
        Child<QComboBox>(dialog, "fromMonth")->setCurrentIndex(3);
        Child<QSpinBox>(dialog, "fromYear")->setValue(2005);
        Child<QComboBox>(dialog, "toDay")->setCurrentIndex(30);
        Child<QComboBox>(dialog, "toMonth")->setCurrentIndex(11);
        Child<QSpinBox>(dialog, "toYear")->setValue(2006);
        Child<QCheckBox>(dialog, "expandCheck")->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const GroupCriteria c = dialog.criteria();
        QVERIFY(c.UseExtension);
        QCOMPARE(c.Extension, std::string("Bmp"));
        QVERIFY(c.UseSize);
        QCOMPARE(c.SizeNumber, 250LL);
        QCOMPARE(c.SizeRelation, int(GroupCriteria::kGreater));
        QCOMPARE(c.SizeUnit, 1);
        QVERIFY(c.UseDate);
        QCOMPARE(c.FromDay, 3);
        QCOMPARE(c.FromMonth, 4);
        QCOMPARE(c.FromYear, 2005);
        QCOMPARE(c.ToDay, 31);
        QCOMPARE(c.ToMonth, 12);
        QCOMPARE(c.ToYear, 2006);
        QVERIFY(c.Expand);
    }

    void addFavoriteProposesAStorableName()
    {
        CAddFavoriteDialog dialog(QStringLiteral("my*pictures"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add to Favorites"));
        QLineEdit* edit = Child<QLineEdit>(dialog, "nameEdit");
        QCOMPARE(edit->text(), QStringLiteral("mypictures"));
        QCOMPARE(dialog.name(), QStringLiteral("mypictures"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("a*b"));  // the separator cannot be typed
        QCOMPARE(dialog.name(), QStringLiteral("ab"));
        QPushButton* ok = Child<QPushButton>(dialog, "okButton");
        QVERIFY(ok->isEnabled());
        edit->setText(QStringLiteral("   "));
        QVERIFY(!ok->isEnabled());
    }

    void organizeShowsTheTargetOfTheSelectedFavorite()
    {
        CFavourites favourites;
        favourites.AddFavourite("Holiday", "/home/me/pics", "beach.jpg", 0);
        favourites.AddFavourite("Work", "/srv/work", "", 0);
        COrganizeFavoritesDialog dialog(favourites);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Organize Favorites"));
        QListWidget* list = Child<QListWidget>(dialog, "favoritesList");
        QLabel* target = Child<QLabel>(dialog, "targetLabel");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Work"));
        list->setCurrentRow(0);
        QCOMPARE(target->text(), QStringLiteral("/home/me/pics/beach.jpg"));
        list->setCurrentRow(1);
        QCOMPARE(target->text(), QStringLiteral("/srv/work/"));
    }

    void organizeDeletesOnlyAfterYes()
    {
        CFavourites favourites;
        for (const char* name : {"a", "b", "c"})
            favourites.AddFavourite(name, "/f", "", 0);
        COrganizeFavoritesDialog dialog(favourites);
        dialog.show();
        QListWidget* list = Child<QListWidget>(dialog, "favoritesList");
        QPushButton* remove = Child<QPushButton>(dialog, "deleteButton");
        QCOMPARE(remove->text(), QStringLiteral("&Delete"));
        list->setCurrentRow(1);

        m_Boxes.Answer = 0;
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(m_Boxes.Texts.size(), 1);
        QCOMPARE(m_Boxes.Texts[0], QStringLiteral("Do you really want to delete this favorite?"));
        QCOMPARE(m_Boxes.Kinds[0], int(MessageBox::kQuestionYesNo));
        QCOMPARE(favourites.Count(), size_t(3));
        QCOMPARE(list->count(), 3);

        m_Boxes.Answer = 1;
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(favourites.Count(), size_t(2));
        QCOMPARE(favourites.GetFavourite(1).Name, std::string("c"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("a"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("c"));

        // Deleting the last one leaves an empty list and nothing to delete.
        QTest::mouseClick(remove, Qt::LeftButton);
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(favourites.Count(), size_t(0));
        QCOMPARE(list->count(), 0);
        QVERIFY(!remove->isEnabled());
    }

    void organizeRenamesTheSelectedFavorite_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("new name") << QStringLiteral("Summer") << QStringLiteral("Summer");
        QTest::newRow("separator dropped") << QStringLiteral("Sum*mer") << QStringLiteral("Summer");
        QTest::newRow("empty keeps the old name") << QStringLiteral(" ") << QStringLiteral("Holiday");
    }
    void organizeRenamesTheSelectedFavorite()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        CFavourites favourites;
        favourites.AddFavourite("Other", "/o", "", 7);
        favourites.AddFavourite("Holiday", "/home/me/pics", "beach.jpg", 3);
        COrganizeFavoritesDialog dialog(favourites);
        dialog.show();
        QListWidget* list = Child<QListWidget>(dialog, "favoritesList");
        list->setCurrentRow(1);
        QTest::mouseClick(Child<QPushButton>(dialog, "renameButton"), Qt::LeftButton);
        QLineEdit* editor = list->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view takes the edit on its next turn of the event loop.
        QTRY_VERIFY(!list->findChild<QLineEdit*>());
        QCOMPARE(QString::fromStdString(favourites.GetFavourite(1).Name), stored);
        QCOMPARE(list->item(1)->text(), stored);
        QCOMPARE(favourites.GetFavourite(1).Folder, std::string("/home/me/pics"));
        QCOMPARE(favourites.GetFavourite(1).Value, 3);
        QCOMPARE(favourites.GetFavourite(0).Name, std::string("Other"));
    }
};

OCULANE_APP_TEST(DialogsTest)

#include "DialogsTest.moc"
