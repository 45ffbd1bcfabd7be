#include "app/AssociationsDialog.h"

#include "app/MessageBox.h"
#include "platform/FileAssociations.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

struct FileType {
    const char* Label;
    const char* Extension;
};

// In the order they are registered.
const FileType kFileTypes[] = {
    {"BMP, &DIB, RLE", "bmp"}, {"EM&F", "emf"}, {"&EPS", "eps"},   {"&GIF", "gif"}, {"&IFF, ILBM", "iff"},
    {"&JPG", "jpg"},           {"P&BM", "pbm"}, {"P&CT, PICT", "pct"}, {"PC&X", "pcx"}, {"PG&M", "pgm"},
    {"P&NG", "png"},           {"&PPM", "ppm"}, {"&RAS", "ras"},   {"TG&A", "tga"}, {"&TIF, TIFF", "tif"},
    {"IC&O", "ico"},           {"&WMF", "wmf"}, {"PSD", "psd"},    {"DDS", "dds"},
};

// Every type Qt gives to a file of the extension; false when it knows none.
bool MimeTypesOf(const QString& extension, std::vector<std::string>& types, QString& error)
{
    const QString name = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    static const QMimeDatabase database;
    const QList<QMimeType> found =
        name.isEmpty() ? QList<QMimeType>{} : database.mimeTypesForFileName(QStringLiteral("x.") + name);
    if (found.isEmpty()) {
        error = QStringLiteral("no file type is known for the extension \"%1\"").arg(extension);
        return false;
    }
    for (const QMimeType& type : found)
        types.push_back(type.name().toStdString());
    return true;
}

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE needs: the command line runs
// without the window that loads the icons otherwise.
static std::string IconBytes()
{
    Q_INIT_RESOURCE(icons);
    QFile icon(QStringLiteral(":/icons/viewer.svg"));
    if (!icon.open(QIODevice::ReadOnly))
        return {};
    return icon.readAll().toStdString();
}

bool ChangeFileAssociations(const QStringList& associate, const QStringList& unassociate, QString& error)
{
    AssociationChange change;
    for (const QString& extension : associate)
        if (!MimeTypesOf(extension, change.Associate, error))
            return false;
    for (const QString& extension : unassociate)
        if (!MimeTypesOf(extension, change.Unassociate, error))
            return false;
    change.Program = QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
    change.IconSvg = IconBytes();
    if (change.IconSvg.empty()) {
        error = QStringLiteral("the program's icon is missing");
        return false;
    }
    std::string reason;
    if (ApplyAssociations(UserAssociationPaths(), change, reason))
        return true;
    error = QString::fromStdString(reason);
    return false;
}

CAssociationsDialog::CAssociationsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Set File Associations"));
    std::vector<std::string> ours;
    std::string error;
    AssociatedTypes(UserAssociationPaths(), ours, error);  // unreadable: nothing is ours yet

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("File types"));
    auto* grid = new QGridLayout(group);
    int index = 0;
    for (const FileType& type : kFileTypes) {
        auto* box = new QCheckBox(QString::fromLatin1(type.Label));
        box->setObjectName(QString::fromLatin1(type.Extension));
        std::vector<std::string> types;
        QString unknown;
        const bool known = MimeTypesOf(QString::fromLatin1(type.Extension), types, unknown);
        const bool isOurs = known && std::all_of(types.begin(), types.end(), [&](const std::string& t) {
            return std::find(ours.begin(), ours.end(), t) != ours.end();
        });
        box->setChecked(isOurs);
        box->setEnabled(known);
        m_Boxes.push_back(box);
        m_WasOurs.push_back(isOurs);
        grid->addWidget(box, index % 10, index / 10);
        ++index;
    }
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CAssociationsDialog::apply(QString& error) const
{
    QStringList associate, unassociate;
    for (size_t i = 0; i < m_Boxes.size(); ++i) {
        if (!m_Boxes[i]->isEnabled())
            continue;
        if (m_Boxes[i]->isChecked())
            associate << m_Boxes[i]->objectName();
        else if (m_WasOurs[i])
            unassociate << m_Boxes[i]->objectName();
    }
    if (associate.isEmpty() && unassociate.isEmpty())
        return true;
    return ChangeFileAssociations(associate, unassociate, error);
}

void RunAssociationsDialog(QWidget* parent)
{
    CAssociationsDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!dialog.apply(error))
        MessageBox::Error(parent, QStringLiteral("The file associations could not be set: %1").arg(error));
}
