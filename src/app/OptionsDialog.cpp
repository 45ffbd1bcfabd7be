#include "app/OptionsDialog.h"

#include "app/BrowseFolderDialog.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxDelay = 10;

QGroupBox* Group(const char* title, QLayout* layout)
{
    auto* group = new QGroupBox(QString::fromLatin1(title));
    group->setLayout(layout);
    return group;
}

QVBoxLayout* Column(std::initializer_list<QWidget*> widgets)
{
    auto* column = new QVBoxLayout;
    for (QWidget* widget : widgets)
        column->addWidget(widget);
    return column;
}

// A page: its columns side by side at the top, then the widgets below them.
QWidget* Page(std::initializer_list<QVBoxLayout*> columns, std::initializer_list<QWidget*> below = {})
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    for (QVBoxLayout* column : columns) {
        column->addStretch(1);
        row->addLayout(column, 1);
    }
    layout->addLayout(row);
    for (QWidget* widget : below)
        layout->addWidget(widget);
    layout->addStretch(1);
    return page;
}

} // namespace

COptionsDialog::COptionsDialog(const CSettings& settings, QWidget* parent) : QDialog(parent), m_Settings(settings)
{
    setObjectName(QStringLiteral("options"));
    setWindowTitle(QStringLiteral("Options"));
    auto* layout = new QVBoxLayout(this);
    m_Pages = new QTabWidget;
    m_Pages->addTab(browserPage(), QStringLiteral("Browser"));
    m_Pages->addTab(filingPage(), QStringLiteral("Filing"));
    m_Pages->addTab(slideShowPage(), QStringLiteral("Slide Show"));
    m_Pages->addTab(viewerPage(), QStringLiteral("Viewer"));
    m_Pages->addTab(miscPage(), QStringLiteral("Misc"));
    layout->addWidget(m_Pages);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString COptionsDialog::DelayText(int seconds)
{
    if (seconds == 0)
        return QStringLiteral("no delay");
    if (seconds == 1)
        return QStringLiteral("1 second");
    return QStringLiteral("%1 seconds").arg(seconds);
}

QCheckBox* COptionsDialog::flag(const char* text, Member value)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setChecked(m_Settings.*value != 0);
    m_Flags.push_back({box, value});
    return box;
}

QGroupBox* COptionsDialog::choice(const char* title, const QStringList& texts, Member value)
{
    auto* group = new QButtonGroup(this);
    auto* column = new QVBoxLayout;
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i]);
        group->addButton(radio, i);
        column->addWidget(radio);
    }
    QAbstractButton* chosen = group->button(m_Settings.*value);
    (chosen ? chosen : group->button(0))->setChecked(true);
    m_Choices.push_back({group, value});
    return Group(title, column);
}

QComboBox* COptionsDialog::list(const QStringList& items, Member value)
{
    auto* box = new QComboBox;
    box->addItems(items);
    const int index = m_Settings.*value;
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
    m_Lists.push_back({box, value});
    return box;
}

QWidget* COptionsDialog::browserPage()
{
    QGroupBox* preview = Group("Preview", Column({flag("&Enable preview", &CSettings::EnablePreview),
                                                 flag("E&nlarge image to fit in preview window", &CSettings::PreviewEnlarge),
                                                 flag("S&hrink image to fit in preview window", &CSettings::PreviewShrink)}));
    return Page({Column({preview, flag("&Show full path in title bar", &CSettings::BrowserFullPathInTitle),
                         flag("Hide non-images", &CSettings::HideNonImages)})});
}

QWidget* COptionsDialog::filingPage()
{
    QGroupBox* select = Group("Automatically select file",
                              Column({flag("A&fter copy/move", &CSettings::SelectAfterCopyMove),
                                      flag("After &delete", &CSettings::SelectAfterDelete),
                                      flag("After con&vert", &CSettings::SelectAfterConvert)}));
    QGroupBox* extension = Group("File extension", Column({flag("&Use upper case", &CSettings::UpperCaseExtension)}));
    QCheckBox* recycle = flag("Use recycle &bin", &CSettings::UseRecycleBin);
    QGroupBox* confirm = Group("Get confirmation before",
                               Column({flag("&Copy/move files", &CSettings::ConfirmCopyMove),
                                       flag("Mu&ltiple file delete", &CSettings::ConfirmMultipleDelete),
                                       flag("S&ingle file delete", &CSettings::ConfirmSingleDelete),
                                       flag("Deleting non-empty directory", &CSettings::ConfirmNonEmptyFolderDelete),
                                       flag("Empty directory delete", &CSettings::ConfirmEmptyFolderDelete)}));
    QGroupBox* overwrite = choice("Overwrite existing", {"&Ask", "&Replace", "Re&name", "&Skip"},
                                  &CSettings::OverwriteExisting);
    return Page({Column({select, extension, recycle}), Column({confirm, overwrite})});
}

QWidget* COptionsDialog::slideShowPage()
{
    QGroupBox* sequence = choice("Sequence", {"&Forward", "&Backward", "&Random"}, &CSettings::SlideSequence);
    QGroupBox* position = choice("Position", {"&Center", "&Upper left corner"}, &CSettings::SlidePosition);
    QGroupBox* size = choice("Image size", {"B&est fit", "&Full size", "S&mall"}, &CSettings::SlideImageSize);

    m_Delay = new QSlider(Qt::Horizontal);
    m_Delay->setObjectName(QStringLiteral("delay"));
    m_Delay->setRange(0, kMaxDelay);
    m_Delay->setSingleStep(1);
    m_Delay->setPageStep(1);
    m_Delay->setTickPosition(QSlider::TicksBelow);
    m_Delay->setTickInterval(1);
    m_Delay->setValue(std::clamp<int>(m_Settings.SlideDelay, 0, kMaxDelay));
    m_DelayText = new QLabel(DelayText(m_Delay->value()));
    m_DelayText->setObjectName(QStringLiteral("delayText"));
    // Wide enough for the longest text, so the slider does not jump.
    m_DelayText->setMinimumWidth(m_DelayText->fontMetrics().horizontalAdvance(DelayText(kMaxDelay)) + 4);
    connect(m_Delay, &QSlider::valueChanged, this, [this](int seconds) { m_DelayText->setText(DelayText(seconds)); });
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(m_Delay, 1);
    delayRow->addWidget(m_DelayText);
    auto* delay = new QGroupBox(QStringLiteral("Delay"));
    delay->setLayout(delayRow);

    return Page({Column({sequence, position}), Column({size, delay})},
                {flag("&Delay flip until next image is loaded", &CSettings::SlideDelayFlip)});
}

QWidget* COptionsDialog::viewerPage()
{
    return Page({Column({flag("&Enlarge to fit in window", &CSettings::ViewerEnlarge),
                         flag("&Shrink to fit in window", &CSettings::ViewerShrink),
                         flag("Show full path in &title bar", &CSettings::ViewerFullPathInTitle)})});
}

QWidget* COptionsDialog::miscPage()
{
    QGroupBox* saveOnExit = Group("Save on exit", Column({flag("&Recently used folders list", &CSettings::SaveRecentFolders),
                                                          flag("&Settings", &CSettings::SaveSettings)}));

    m_HomeBytes = m_Settings.HomeFolder;
    m_Home = new QLineEdit(QString::fromStdString(m_HomeBytes));
    m_Home->setObjectName(QStringLiteral("homeFolder"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setObjectName(QStringLiteral("browseHome"));
    connect(browse, &QPushButton::clicked, this, &COptionsDialog::browseHome);
    auto* homeRow = new QHBoxLayout;
    homeRow->addWidget(m_Home, 1);
    homeRow->addWidget(browse);
    auto* homeColumn = new QVBoxLayout;
    homeColumn->addLayout(homeRow);
    homeColumn->addWidget(flag("&Always start up in this folder", &CSettings::AlwaysStartInHomeFolder));
    QGroupBox* home = Group("Home folder", homeColumn);

    auto* units = new QGridLayout;
    const struct {
        const char* Label;
        QStringList Items;
        Member Value;
    } unitRows[] = {
        {"File size in:", {"bytes", "KB", "MB"}, &CSettings::FileSizeUnit},
        {"Image size in:", {"pixels", "inches", "millimeters", "centimeters"}, &CSettings::ImageSizeUnit},
    };
    for (int row = 0; row < 2; ++row) {
        auto* label = new QLabel(QString::fromLatin1(unitRows[row].Label));
        QComboBox* box = list(unitRows[row].Items, unitRows[row].Value);
        label->setBuddy(box);
        units->addWidget(label, row, 0);
        units->addWidget(box, row, 1);
    }
    units->setColumnStretch(2, 1);
    auto* unitsWidget = new QWidget;
    unitsWidget->setLayout(units);

    return Page({Column({saveOnExit, flag("Show print set&up before printing", &CSettings::ShowPrintSetup)})},
                {home, unitsWidget});
}

void COptionsDialog::browseHome()
{
    const bool edited = m_Home->text() != QString::fromStdString(m_HomeBytes);
    CBrowseFolderDialog picker(edited ? m_Home->text().toStdString() : m_HomeBytes,
                               m_Settings.ShowHiddenFiles != 0, this);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_HomeBytes = picker.folder();
    m_Home->setText(QString::fromStdString(m_HomeBytes));
}

void COptionsDialog::store(CSettings& settings) const
{
    for (const FlagBinding& binding : m_Flags)
        settings.*binding.Value = binding.Box->isChecked() ? 1 : 0;
    for (const ChoiceBinding& binding : m_Choices)
        settings.*binding.Value = binding.Group->checkedId() >= 0 ? binding.Group->checkedId() : 0;
    for (const ListBinding& binding : m_Lists)
        settings.*binding.Value = binding.Box->currentIndex() >= 0 ? binding.Box->currentIndex() : 0;
    settings.SlideDelay = m_Delay->value();
    const QString home = m_Home->text();
    settings.HomeFolder = home == QString::fromStdString(m_HomeBytes) ? m_HomeBytes : home.toStdString();
}
