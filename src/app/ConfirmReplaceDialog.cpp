#include "app/ConfirmReplaceDialog.h"

#include "jobs/PasteJob.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPathWidth = 460;

// A path line: elided in the middle to fit, the whole path in its tool tip.
QLabel* PathLine(const std::string& path, QWidget* parent)
{
    const QString text = QString::fromStdString(path);
    auto* label = new QLabel(parent);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, kPathWidth));
    label->setToolTip(text);
    label->setMinimumWidth(kPathWidth);
    return label;
}

QGroupBox* FileGroup(const QString& title, const std::string& path, const std::string& details, const char* name)
{
    auto* group = new QGroupBox(title);
    group->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(group);
    QLabel* pathLine = PathLine(path, group);
    pathLine->setObjectName(QStringLiteral("path"));
    layout->addWidget(pathLine);
    auto* detailsLine = new QLabel(QString::fromStdString(details), group);
    detailsLine->setObjectName(QStringLiteral("details"));
    layout->addWidget(detailsLine);
    return group;
}

} // namespace

CConfirmReplaceDialog::CConfirmReplaceDialog(const ReplaceQuestion& question, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("confirmReplace"));
    setWindowTitle(QStringLiteral("Confirm Replace"));
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("This file already exists.")));
    left->addWidget(FileGroup(QStringLiteral("Replace file"), question.ExistingPath, question.ExistingDetails,
                              "replaceFile"));
    left->addWidget(FileGroup(QStringLiteral("With file"), question.SourcePath, question.SourceDetails, "withFile"));
    auto* renameGroup = new QGroupBox(QStringLiteral("Rename file"));
    auto* renameLayout = new QVBoxLayout(renameGroup);
    m_Name = new QLineEdit(QString::fromStdString(question.NewName), renameGroup);
    m_Name->setObjectName(QStringLiteral("newName"));
    renameLayout->addWidget(m_Name);
    left->addWidget(renameGroup);
    left->addStretch(1);
    layout->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    const std::pair<const char*, int> entries[] = {
        {"&Replace", AnswerReplace},         {"Replace &All", AnswerReplaceAll}, {"Replace All &Older", AnswerReplaceAllOlder},
        {"&Skip", AnswerSkip},               {"S&kip All", AnswerSkipAll},       {"Re&name", AnswerRename},
        {"&Cancel", AnswerCancel}};
    for (const auto& [text, id] : entries) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setAutoDefault(false);
        button->setProperty("answer", id);
        connect(button, &QPushButton::clicked, this, [this, id = id] { answer(id); });
        buttons->addWidget(button);
        if (id == AnswerReplace)
            button->setDefault(true);
        if (id == AnswerRename)
            m_Rename = button;
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    // "Re&name" needs a name; the job asks again for an empty one anyway.
    auto nameChanged = [this] { m_Rename->setEnabled(!m_Name->text().trimmed().isEmpty()); };
    connect(m_Name, &QLineEdit::textChanged, this, nameChanged);
    nameChanged();
}

QString CConfirmReplaceDialog::newName() const
{
    return m_Name->text().trimmed();
}

void CConfirmReplaceDialog::answer(int id)
{
    if (m_Done)
        return;
    m_Done = true;
    emit answered(id, newName());
    done(QDialog::Accepted);
}

void CConfirmReplaceDialog::dismiss()
{
    m_Done = true;
    QDialog::reject();
}

// Escape and the window's close button.
void CConfirmReplaceDialog::reject()
{
    if (!m_Done) {
        m_Done = true;
        emit answered(AnswerCancel, newName());
    }
    QDialog::reject();
}
