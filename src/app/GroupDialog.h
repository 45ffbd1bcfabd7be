// "Select Group" and "Unselect Group": the criteria of a group selection. The
// dialog only gathers and checks the fields; the listing does the selecting.
#pragma once

#include "browser/GroupCriteria.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

class CGroupDialog : public QDialog {
    Q_OBJECT
public:
    // select: "Select Group" (with "E&xpand selection"); otherwise "Unselect Group".
    explicit CGroupDialog(bool select, QWidget* parent = nullptr);

    // The fields as they stand; after Accepted they have passed the checks.
    GroupCriteria criteria() const;

public slots:
    // Refuses fields the criteria reject with their message and stays open.
    void accept() override;

private:
    struct DateFields {
        QComboBox* Day;
        QComboBox* Month;
        QSpinBox* Year;
    };
    DateFields addDate(const char* prefix);
    void updateEnabled();

    QCheckBox* m_ExtensionCheck;
    QLineEdit* m_Extension;
    QCheckBox* m_SizeCheck;
    QSpinBox* m_Size;
    QComboBox* m_Relation;
    QComboBox* m_Unit;
    QCheckBox* m_DateCheck;
    DateFields m_From;
    DateFields m_To;
    QCheckBox* m_Expand = nullptr;
};
