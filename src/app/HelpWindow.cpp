#include "app/HelpWindow.h"

#include "app/CommandTable.h"

#include <QFile>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QString ResourceText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A menu label as the user reads it: without the mnemonic marks.
QString PlainLabel(const char* label)
{
    QString text = QString::fromLatin1(label);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text.trimmed();
}

QString KeyText(const char* accelerator)
{
    if (!accelerator || !*accelerator)
        return {};
    return QKeySequence::fromString(QString::fromLatin1(accelerator), QKeySequence::PortableText)
        .toString(QKeySequence::NativeText);
}

// One table row per command; the commands of submenus carry the submenu's name.
void AddRows(const MenuEntry& menu, const QString& path, QString& html)
{
    for (const MenuEntry& entry : menu.Children) {
        if (entry.Kind == MenuEntry::Submenu) {
            AddRows(entry, path + PlainLabel(entry.Label) + QStringLiteral(" > "), html);
        } else if (entry.Kind == MenuEntry::Command) {
            const CommandInfo* info = FindCommand(entry.Id);
            if (!info)
                continue;
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                        .arg((path + PlainLabel(info->Label)).toHtmlEscaped(),
                             KeyText(info->Accelerator).toHtmlEscaped(),
                             QString::fromLatin1(info->HelpText).toHtmlEscaped());
        }
    }
}

QString MenusHtml(const char* title, const char* anchor, const std::vector<MenuEntry>& menus)
{
    QString index;
    QString tables;
    for (const MenuEntry& menu : menus) {
        const QString name = PlainLabel(menu.Label);
        const QString target = QStringLiteral("%1-%2").arg(QString::fromLatin1(anchor), name.toLower());
        index += QStringLiteral(" <a href=\"#%1\">%2</a>").arg(target, name.toHtmlEscaped());
        tables += QStringLiteral("<h4><a name=\"%1\"></a>%2</h4>\n"
                                 "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n"
                                 "<tr><th align=\"left\" width=\"36%\">Command</th><th align=\"left\" width=\"16%\">Key</th>"
                                 "<th align=\"left\">What it does</th></tr>\n")
                      .arg(target, name.toHtmlEscaped());
        AddRows(menu, QString(), tables);
        tables += QStringLiteral("</table>\n");
    }
    return QStringLiteral("<h3>%1</h3>\n<p>%2</p>\n%3").arg(QString::fromLatin1(title), index.trimmed(), tables);
}

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE needs: the help lives in a static library.
static void InitHelp()
{
    Q_INIT_RESOURCE(help);
}

QString CHelpWindow::ContentsHtml()
{
    InitHelp();
    QString html = ResourceText(QStringLiteral(":/help/help.html"));
    html.replace(QStringLiteral("@VERSION@"), QString::fromLatin1(OCULANE_VERSION));
    html.replace(QStringLiteral("@COMMANDS@"), MenusHtml("Browser menus", "browser", BrowserMenu()) +
                                                   MenusHtml("Viewer menus", "viewer", ViewerMenu()));
    html.replace(QStringLiteral("@LICENSE@"), ResourceText(QStringLiteral(":/help/LICENSE")).toHtmlEscaped());
    return html;
}

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Oculane Help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_Browser = new QTextBrowser(this);
    m_Browser->setOpenExternalLinks(true);
    m_Browser->setHtml(ContentsHtml());
    layout->addWidget(m_Browser);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(720, 600);
}
