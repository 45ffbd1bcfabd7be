// The command table: the two menus as the user sees them, their texts and keys,
// the toolbars and the icons they show.
#include "AppTest.h"
#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

#include <QFile>
#include <QIcon>
#include <QKeySequence>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

namespace {

using Visit = std::function<void(const MenuEntry& entry, const std::string& path)>;

void Walk(const std::vector<MenuEntry>& entries, const std::string& path, const Visit& visit)
{
    for (const MenuEntry& entry : entries) {
        visit(entry, path);
        if (entry.Kind == MenuEntry::Submenu)
            Walk(entry.Children, path + "/" + (entry.Label ? entry.Label : "?"), visit);
    }
}

std::vector<int> CommandIds(const std::vector<MenuEntry>& entries)
{
    std::vector<int> ids;
    Walk(entries, "", [&](const MenuEntry& e, const std::string&) {
        if (e.Kind == MenuEntry::Command)
            ids.push_back(e.Id);
    });
    return ids;
}

const MenuEntry* TopMenu(const std::vector<MenuEntry>& menu, const char* title)
{
    for (const MenuEntry& top : menu)
        if (top.Kind == MenuEntry::Submenu && std::strcmp(top.Label, title) == 0)
            return &top;
    return nullptr;
}

// The command ids of one top-level menu, separators left out, submenus flattened.
std::vector<int> MenuIds(const std::vector<MenuEntry>& menu, const char* title)
{
    const MenuEntry* top = TopMenu(menu, title);
    return top ? CommandIds(top->Children) : std::vector<int>{};
}

std::vector<std::string> Titles(const std::vector<MenuEntry>& entries)
{
    std::vector<std::string> titles;
    for (const MenuEntry& e : entries)
        titles.push_back(e.Kind == MenuEntry::Submenu ? e.Label : "<not a submenu>");
    return titles;
}

QString Describe(const std::vector<int>& ids)
{
    QStringList parts;
    for (int id : ids)
        parts << QString::number(id);
    return parts.join(' ');
}

QString Describe(const std::vector<std::string>& texts)
{
    QStringList parts;
    for (const std::string& t : texts)
        parts << QString::fromStdString(t);
    return parts.join(" | ");
}

}  // namespace

class CommandTableTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The icons are compiled into a static library; nothing else may have
        // pulled them in.
        Q_INIT_RESOURCE(icons);
    }

    void everyMenuItemIsACommandWithHelp_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::newRow("browser") << true;
        QTest::newRow("viewer") << false;
    }

    void everyMenuItemIsACommandWithHelp()
    {
        QFETCH(bool, browser);
        Walk(browser ? BrowserMenu() : ViewerMenu(), "", [](const MenuEntry& e, const std::string& path) {
            const QByteArray where = QByteArray::fromStdString(path) + " id " + QByteArray::number(e.Id);
            switch (e.Kind) {
            case MenuEntry::Separator:
                QVERIFY2(e.Children.empty(), where.constData());
                break;
            case MenuEntry::Submenu:
                QVERIFY2(e.Label && *e.Label, where.constData());
                QVERIFY2(!e.Children.empty(), where.constData());
                break;
            case MenuEntry::Command: {
                const CommandInfo* info = FindCommand(e.Id);
                QVERIFY2(info, where.constData());
                QCOMPARE(info->Id, e.Id);
                QVERIFY2(info->Label && *info->Label, where.constData());
                QVERIFY2(e.Label && std::strcmp(e.Label, info->Label) == 0, where.constData());
                const size_t help = info->HelpText ? std::strlen(info->HelpText) : 0;
                QVERIFY2(help > 1 && info->HelpText[help - 1] == '.', where.constData());
                QVERIFY2(info->ToolTip && *info->ToolTip, where.constData());
                QVERIFY2(info->Accelerator, where.constData());
                break;
            }
            }
        });
    }

    void everyCommandIsInAMenuOnce()
    {
        QSet<int> seen;
        for (const CommandInfo& info : AllCommands()) {
            QVERIFY2(!seen.contains(info.Id), qPrintable(QString("id %1 twice").arg(info.Id)));
            seen.insert(info.Id);
        }
        QSet<int> inMenus;
        for (int id : CommandIds(BrowserMenu()))
            inMenus.insert(id);
        for (int id : CommandIds(ViewerMenu()))
            inMenus.insert(id);
        QCOMPARE(inMenus, seen);
        QVERIFY(FindCommand(0) == nullptr);
        QVERIFY(FindCommand(12345) == nullptr);

        // Within one menu, no command appears twice (each is one action).
        for (const auto* menu : {&BrowserMenu(), &ViewerMenu()}) {
            QSet<int> once;
            for (int id : CommandIds(*menu)) {
                QVERIFY2(!once.contains(id), qPrintable(QString("id %1 twice in a menu").arg(id)));
                once.insert(id);
            }
        }
    }

    void rowsAsTheUserSeesThem_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("accelerator");
        QTest::addColumn<QString>("menu");  // "b", "v" or "bv": the menus that show it

        QTest::newRow("open") << 57601 << "&Open..." << "Ctrl+O" << "bv";
        QTest::newRow("save") << 57603 << "Save" << "Ctrl+S" << "bv";
        QTest::newRow("preview") << 32773 << "Prev&iew" << "Shift+P" << "b";
        QTest::newRow("reload") << 32774 << "&Reload" << "Ctrl+R" << "bv";
        QTest::newRow("select source") << 354 << "Select Source..." << "" << "bv";
        QTest::newRow("print thumbnails") << 32778 << "Print &Thumbnails..." << "" << "bv";
        QTest::newRow("viewer") << 32771 << "&Viewer..." << "Ctrl+Return" << "b";
        QTest::newRow("browser") << 32848 << "&Browser..." << "Ctrl+Return" << "v";
        QTest::newRow("rename series") << 32838 << "Rename Se&ries..." << "Ctrl+F6" << "b";
        QTest::newRow("copy") << 57634 << "&Copy" << "F5" << "b";
        QTest::newRow("copy image") << 32912 << "Copy &image" << "" << "bv";
        QTest::newRow("unselect group") << 32786 << "Uns&elect Group..." << "Shift+G" << "b";
        QTest::newRow("copy to") << 32787 << "C&opy To..." << "Ctrl+C" << "bv";
        QTest::newRow("new folder") << 32789 << "New Folder..." << "F7" << "b";
        QTest::newRow("sort size") << 215 << "Size" << "" << "b";
        QTest::newRow("column name") << 220 << "Filename" << "" << "b";
        QTest::newRow("full row") << 227 << "Full row selection" << "" << "b";
        QTest::newRow("upper-right") << 32790 << "Upper-&right corner" << "" << "b";
        QTest::newRow("preview 25") << 32800 << " 25%" << "Num+1" << "b";
        QTest::newRow("100 shared") << 32830 << "100%" << "Num+4" << "bv";
        QTest::newRow("preview 1600") << 32932 << "1600%" << "Num+0" << "b";
        QTest::newRow("auto load") << 32925 << "Auto &load" << "" << "b";
        QTest::newRow("refresh") << 32792 << "&Refresh" << "Shift+R" << "bv";
        QTest::newRow("back") << 32795 << "&Back" << "Backspace" << "b";
        QTest::newRow("up") << 32796 << "&Up One Level" << "/" << "b";
        QTest::newRow("home") << 32797 << "&Home" << "Home" << "b";
        QTest::newRow("rotate ccw") << 32822 << "CCW 90 d&egrees" << "" << "bv";
        QTest::newRow("borders") << 32922 << "Add Borders/Crop By Value..." << "" << "bv";
        QTest::newRow("solarize") << 350 << "Solarize..." << "" << "bv";
        QTest::newRow("gaussian 5x5") << 338 << "Gaussian 5x5" << "" << "bv";
        QTest::newRow("normal map") << 32934 << "&Normal Map..." << "" << "bv";
        QTest::newRow("slide show") << 32810 << "&Slide show" << "" << "b";
        QTest::newRow("options") << 32818 << "&Options..." << "Shift+O" << "bv";
        QTest::newRow("help") << 57670 << "Contents..." << "F1" << "bv";
        QTest::newRow("next") << 32852 << "&Next" << "Shift+PgUp" << "v";
        QTest::newRow("previous") << 32853 << "&Previous" << "Shift+PgDown" << "v";
        QTest::newRow("zoom more") << 32861 << "&More" << "Num++" << "v";
        QTest::newRow("zoom less") << 32862 << "&Less" << "Num+-" << "v";
        QTest::newRow("zoom 25") << 32863 << "25%" << "Num+1" << "v";
        QTest::newRow("zoom 200") << 32933 << "200%" << "Num+6" << "v";
        QTest::newRow("best fit") << 32872 << "&Best Fit" << "Alt+End" << "v";
        QTest::newRow("actual size") << 32873 << "&Actual Size" << "Alt+Home" << "v";
        QTest::newRow("run") << 32850 << "&Run" << "F3" << "v";
        QTest::newRow("stop") << 32851 << "&Stop" << "F4" << "v";
    }

    void rowsAsTheUserSeesThem()
    {
        QFETCH(int, id);
        QFETCH(QString, label);
        QFETCH(QString, accelerator);
        QFETCH(QString, menu);
        const CommandInfo* info = FindCommand(id);
        QVERIFY(info);
        QCOMPARE(QString::fromLatin1(info->Label), label);
        QCOMPARE(QString::fromLatin1(info->Accelerator), accelerator);
        const std::vector<int> browser = CommandIds(BrowserMenu());
        const std::vector<int> viewer = CommandIds(ViewerMenu());
        QCOMPARE(std::count(browser.begin(), browser.end(), id), menu.contains('b') ? 1 : 0);
        QCOMPARE(std::count(viewer.begin(), viewer.end(), id), menu.contains('v') ? 1 : 0);
    }

    void acceleratorsAreQtKeysAndUniquePerMenu_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::newRow("browser") << true;
        QTest::newRow("viewer") << false;
    }

    void acceleratorsAreQtKeysAndUniquePerMenu()
    {
        QFETCH(bool, browser);
        std::map<QKeySequence, int> used;
        for (int id : CommandIds(browser ? BrowserMenu() : ViewerMenu())) {
            const QString text = QString::fromLatin1(FindCommand(id)->Accelerator);
            if (text.isEmpty())
                continue;
            const QKeySequence keys = QKeySequence::fromString(text, QKeySequence::PortableText);
            QVERIFY2(keys.count() == 1 && keys[0].key() != Qt::Key_unknown, qPrintable(text));
            // Written exactly as Qt writes it back, so the notation has one spelling per key.
            QCOMPARE(keys.toString(QKeySequence::PortableText), text);
            auto [it, fresh] = used.emplace(keys, id);
            QVERIFY2(fresh, qPrintable(QString("%1 on %2 and %3").arg(text).arg(it->second).arg(id)));
        }
        QVERIFY(used.size() > 20);
        // The keypad digits are keypad keys, not the digit row.
        const QKeySequence one = QKeySequence::fromString("Num+1", QKeySequence::PortableText);
        QCOMPARE(one[0].keyboardModifiers(), Qt::KeypadModifier);
        QCOMPARE(one[0].key(), Qt::Key_1);
    }

    void topLevelMenusInOrder()
    {
        const std::vector<std::string> browser = {"&File", "&Edit", "&View", "&Go", "F&avorites", "&Image",
                                                  "&Colors", "Fi&lter", "&Tools", "&Help"};
        const std::vector<std::string> viewer = {"&File", "&Edit", "&View", "&Zoom", "&Image",
                                                 "&Colors", "Fi&lter", "&Tools", "&Help"};
        QCOMPARE(Describe(Titles(BrowserMenu())), Describe(browser));
        QCOMPARE(Describe(Titles(ViewerMenu())), Describe(viewer));
    }

    void fileAndEditInOrder()
    {
        const std::vector<int> browserFile = {57601, 57603, 32772, 32773, 32774, 354, 355, 32775,
                                              32779, 57607, 32777, 32778, 32771, 57665};
        const std::vector<int> viewerFile = {57601, 57603, 32772, 32774, 354, 355, 32775,
                                             32779, 57607, 32777, 32778, 32848, 57665};
        const std::vector<int> browserEdit = {57643, 32780, 32781, 32838, 57635, 57634, 57637, 32912, 32923,
                                              32782, 32783, 32784, 32785, 32786, 32787, 32788, 32789};
        const std::vector<int> viewerEdit = {57643, 32780, 32781, 32912, 32923, 32787, 32788};
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "&File")), Describe(browserFile));
        QCOMPARE(Describe(MenuIds(ViewerMenu(), "&File")), Describe(viewerFile));
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "&Edit")), Describe(browserEdit));
        QCOMPARE(Describe(MenuIds(ViewerMenu(), "&Edit")), Describe(viewerEdit));
    }

    void otherMenusInOrder()
    {
        const std::vector<int> browserView = {59392, 59393, 229, 230, 231, 232, 214, 216, 215, 217, 218, 212, 213,
                                              220, 221, 222, 223, 224, 225, 227, 32776, 32790, 32826,
                                              32800, 32828, 32829, 32830, 32839, 32840, 32928, 32930, 32931, 32932,
                                              32925, 32924, 233, 32792, 32827};
        const std::vector<int> viewerView = {59392, 59393, 32852, 32853, 32854, 32855, 32792, 32827};
        const std::vector<int> zoom = {32861, 32862, 32863, 32864, 32865, 32830, 32867, 32933,
                                       32869, 32874, 32876, 32929, 32872, 32873};
        const std::vector<int> image = {32798, 32799, 32922, 32834, 32821, 32822, 32823, 32833,
                                        32801, 32802, 32921, 32832};
        const std::vector<int> colors = {32804, 32805, 32831, 32807, 32803, 32806, 32835,
                                         32926, 32927, 350, 32808, 32809};
        const std::vector<int> filter = {334, 336, 337, 338, 339, 341, 342, 343, 344, 346, 347, 348, 349, 32934};
        const std::vector<int> browserTools = {32810, 32811, 32812, 32813, 32844, 32819, 32818};
        const std::vector<int> viewerTools = {32850, 32851, 32811, 32812, 32813, 32844, 32819, 32818};
        const std::vector<int> help = {57670, 57668, 57664};
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "&View")), Describe(browserView));
        QCOMPARE(Describe(MenuIds(ViewerMenu(), "&View")), Describe(viewerView));
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "&Go")), Describe(std::vector<int>{32795, 32796, 32797}));
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "F&avorites")), Describe(std::vector<int>{32793, 32794}));
        QCOMPARE(Describe(MenuIds(ViewerMenu(), "&Zoom")), Describe(zoom));
        for (const auto* menu : {&BrowserMenu(), &ViewerMenu()}) {
            QCOMPARE(Describe(MenuIds(*menu, "&Image")), Describe(image));
            QCOMPARE(Describe(MenuIds(*menu, "&Colors")), Describe(colors));
            QCOMPARE(Describe(MenuIds(*menu, "Fi&lter")), Describe(filter));
            QCOMPARE(Describe(MenuIds(*menu, "&Help")), Describe(help));
        }
        QCOMPARE(Describe(MenuIds(BrowserMenu(), "&Tools")), Describe(browserTools));
        QCOMPARE(Describe(MenuIds(ViewerMenu(), "&Tools")), Describe(viewerTools));
    }

    void zoomFactors()
    {
        const std::vector<int> viewer = {32863, 32864, 32865, 32830, 32867, 32933, 32869, 32874, 32876, 32929};
        const std::vector<int> preview = {32800, 32828, 32829, 32830, 32839, 32840, 32928, 32930, 32931, 32932};
        const double factors[] = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 5.0, 10.0, 16.0};
        for (size_t i = 0; i < viewer.size(); ++i) {
            QCOMPARE(ZoomFactor(viewer[i]), factors[i]);
            QCOMPARE(ZoomFactor(preview[i]), factors[i]);
            // Both lists sit on the keypad digits 1..9, 0 in this order.
            const QString key = QString("Num+%1").arg((i + 1) % 10);
            QCOMPARE(QString::fromLatin1(FindCommand(viewer[i])->Accelerator), key);
            QCOMPARE(QString::fromLatin1(FindCommand(preview[i])->Accelerator), key);
        }
        QCOMPARE(ZoomFactor(ID_ACTUAL_SIZE), 1.0);
        QCOMPARE(ZoomFactor(ID_ZOOM_MORE), 0.0);
        QCOMPARE(ZoomFactor(ID_BEST_FIT), 0.0);
        QCOMPARE(ZoomFactor(ID_FILE_OPEN), 0.0);
    }

    void availability_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("available");
        const int on[] = {ID_FILE_OPEN, ID_PREVIEW, ID_RELOAD, ID_VIEWER, ID_BROWSER, ID_EXIT, ID_COPY_IMAGE,
                          ID_PASTE_NEW_IMAGE, ID_INVERT_SELECTION, ID_UNSELECT_GROUP, ID_VIEW_STATUS_BAR,
                          ID_MODE_DETAILS, ID_SORT_BACKWARD, ID_COLUMN_TYPE, ID_FULL_ROW, ID_PLACE_CENTRE,
                          ID_PREVIEW_ZOOM_1600, ID_ZOOM_100, ID_AUTO_LOAD, ID_SHOW_HIDDEN, ID_AUTO_REFRESH, ID_HOME,
                          ID_ORGANIZE_FAVORITES, ID_LAST, ID_ZOOM_LESS, ID_ZOOM_1600, ID_BEST_FIT, ID_ACTUAL_SIZE,
                          ID_FILTER_BLUR, ID_FILTER_NORMAL_MAP,
                          ID_WALLPAPER, ID_ASSOCIATIONS, ID_HELP_USING, ID_ABOUT, ID_UNDO, ID_RESIZE, ID_ROTATE_CW, ID_GAMMA,
                          ID_COUNT_COLORS, ID_HISTOGRAM, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_CONVERT,
                          ID_CUT, ID_COPY, ID_PASTE, ID_COPY_TO, ID_MOVE_TO,
                          ID_DELETE, ID_RENAME, ID_RENAME_SERIES, ID_NEW_FOLDER, ID_FIND, ID_COMPARE};
        const int off[] = {ID_ACQUIRE,
                           ID_COLUMN_NAME,
                           0, 12345};
        for (int id : on)
            QTest::newRow(qPrintable(QString("on %1").arg(id))) << id << true;
        for (int id : off)
            QTest::newRow(qPrintable(QString("off %1").arg(id))) << id << false;
    }

    void availability()
    {
        QFETCH(int, id);
        QFETCH(bool, available);
        CMainWindow window;
        QCOMPARE(window.commands().isRunnable(id), available);
    }

    // Every area registers only commands of the table (a second registration
    // of an id would already have thrown while the window was built), besides
    // the folder tree's own Delete, Rename, Copy and Cut (235-238).
    void registeredCommandsAreInTheTable()
    {
        CMainWindow window;
        QSet<int> known{235, 236, 237, 238};
        for (const CommandInfo& info : AllCommands())
            known.insert(info.Id);
        for (int id : window.commands().ids())
            QVERIFY2(known.contains(id), qPrintable(QString::number(id)));
        QVERIFY(window.isCommandChecked(ID_COLUMN_NAME));
        QVERIFY(!window.isCommandEnabled(ID_COLUMN_NAME));
    }

    void dispatcherRunsOnlyEnabledCommands()
    {
        CCommandDispatcher commands;
        int runs = 0;
        bool enabled = false;
        commands.add(1, [&] { ++runs; }, [&] { return enabled; }, [] { return true; });
        commands.add({2, 3}, [&](int id) { runs += id * 10; });
        QVERIFY(!commands.run(1));
        enabled = true;
        QVERIFY(commands.run(1));
        QVERIFY(commands.run(3));
        QVERIFY(!commands.run(4));  // nobody registered it
        QCOMPARE(runs, 31);
        QVERIFY(commands.isChecked(1) && !commands.isChecked(2) && !commands.isEnabled(4));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, commands.add(2, [] {}));
    }

    void toolbars()
    {
        const std::vector<int> browser = {57601, 0, 32795, 32796, 32797, 32792, 0, 229, 230, 231, 232, 0,
                                          32780, 32787, 32788, 0, 32771, 32810, 32811, 32813, 32818};
        const std::vector<int> viewer = {57601, 0, 32854, 32853, 32852, 32855, 0, 32861, 32862, 32872, 32873, 0,
                                         32850, 32851, 0, 32848};
        QCOMPARE(Describe(BrowserToolbar()), Describe(browser));
        QCOMPARE(Describe(ViewerToolbar()), Describe(viewer));

        // A button is a command of its mode's menu and shows an icon.
        const std::pair<const std::vector<int>*, const std::vector<MenuEntry>*> bars[] = {
            {&BrowserToolbar(), &BrowserMenu()}, {&ViewerToolbar(), &ViewerMenu()}};
        for (const auto& [bar, menu] : bars) {
            const std::vector<int> ids = CommandIds(*menu);
            for (int id : *bar) {
                if (id == 0)
                    continue;
                QVERIFY2(std::count(ids.begin(), ids.end(), id) == 1, qPrintable(QString::number(id)));
                QVERIFY2(IconName(id), qPrintable(QString::number(id)));
            }
        }
    }

    void iconsExistAndRender()
    {
        int icons = 0;
        for (const CommandInfo& info : AllCommands()) {
            const char* name = IconName(info.Id);
            if (!name)
                continue;
            ++icons;
            const QString path = QString::fromLatin1(name);
            QVERIFY2(path.startsWith(":/icons/") && path.endsWith(".svg"), name);
            QVERIFY2(QFile(path).exists(), name);
            const QIcon icon(path);
            QVERIFY2(!icon.isNull(), name);
            const QPixmap pixmap = icon.pixmap(16, 16);
            QVERIFY2(!pixmap.isNull(), name);
            // Something is drawn: not every pixel is transparent.
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y)
                for (int x = 0; x < image.width() && !drawn; ++x)
                    drawn = qAlpha(image.pixel(x, y)) != 0;
            QVERIFY2(drawn, name);
        }
        QVERIFY(icons >= 30);
        QVERIFY(IconName(ID_FILTER_EMBOSS) == nullptr);
    }
};

OCULANE_APP_TEST(CommandTableTest)

#include "CommandTableTest.moc"
