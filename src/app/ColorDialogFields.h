// Fields of the Colors menu's dialogs: label and edit in rows of a grid.
#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace ColorDialogFields {

// A whole-number edit wider than any allowed value, so that a wrong one can
// be typed and named by the field check.
inline QSpinBox* IntegerEdit(const char* name, int value)
{
    auto* edit = new QSpinBox;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setRange(-99999, 99999);
    edit->setValue(value);
    return edit;
}

inline void AddRow(QGridLayout* grid, const QString& label, QWidget* field)
{
    const int row = grid->rowCount();
    auto* text = new QLabel(label);
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1);
}

} // namespace ColorDialogFields
