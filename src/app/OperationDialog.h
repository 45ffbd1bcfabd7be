// The parameter dialogs of the Image menu share this base: the fields check
// themselves on OK and on Preview, a preview copy of the image shows the
// operation before it is run, and the fill colour is shared between dialogs.
//
// A dialog binds its fields to a call of CEditBmp (operation()); the caller
// runs that on the view's image after OK. exec() returns QDialog::Accepted
// (values stored in the settings, run operation()), QDialog::Rejected
// (nothing stored but a chosen fill colour) or kRefused (the fields were
// stored but the operation cannot run; the dialog has said why).
#pragma once

#include "ops/ColorRef.h"
#include "ops/EditBmp.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <new>

class CPreviewBox;
class CSettings;
class CWinBmp;
class QBoxLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class COperationDialog : public QDialog {
    Q_OBJECT
public:
    using Operation = std::function<bool(CEditBmp&)>;
    // The exec() result when OK was pressed but the operation cannot run.
    static constexpr int kRefused = 2;
    static const char* const kTextOutOfMemory;  // "Out of Memory!"

    // The dialog for the view's image, or nullptr when its preview copy cannot
    // be had: then "Out of Memory!" has been shown and nothing else happens.
    template <class Dialog>
    static std::unique_ptr<Dialog> Create(const CWinBmp& image, CSettings& settings, QWidget* parent = nullptr)
    {
        try {
            return std::make_unique<Dialog>(image, settings, parent);
        } catch (const std::bad_alloc&) {
            ReportOutOfMemory(parent);
            return nullptr;
        }
    }

    // The operation with the values the fields hold now; after Accepted they
    // have passed the checks. Returns whether the size changed.
    virtual Operation operation() const = 0;
    // The command's error text, shown when a preview fails.
    virtual QString errorText() const = 0;

    // The preview copy (empty for dialogs without preview).
    const CEditBmp* previewCopy() const { return m_Preview.get(); }

    // Asks for a colour starting at `color`; false when the user cancels. The
    // default opens QColorDialog; tests put their own in.
    using ColorChooser = std::function<bool(QWidget* parent, ColorRef& color)>;
    static void SetColorChooser(ColorChooser chooser);

public slots:
    // Checks the fields (a message and the dialog stays open), stores them,
    // then closes with Accepted, or with kRefused after the refusal message.
    void accept() override;
    void preview();

protected:
    // withPreview: makes the preview copy (std::bad_alloc when it cannot be
    // had) and shows the preview box and "&Preview". Only the image's size is
    // kept: the view may replace its image while the dialog is open.
    COperationDialog(const CWinBmp& image, CSettings& settings, bool withPreview, QWidget* parent);

    // The checks of the fields: a message for the first bad one, or empty.
    virtual QString checkFields() const = 0;
    // Refuses an operation the fields allow but the image does not, with a
    // message shown with the exclamation icon; empty when it can run.
    virtual QString refusal() const { return {}; }
    // Writes the confirmed values into the settings.
    virtual void storeSettings() = 0;

    // Where a dialog puts its fields, and the OK/Cancel row; call finishLayout()
    // at the end of the constructor.
    QBoxLayout* fieldsLayout() const { return m_Fields; }
    void finishLayout();
    // The swatch and "&Choose Color" of the shared fill colour, in a group.
    QGroupBox* makeFillColorGroup(const QString& title);

    // Field checks with the messages of the standard edit controls.
    static QString CheckInteger(const QSpinBox* field, int low, int high);
    // A decimal number from an edit; false when it is not one.
    static bool ReadNumber(const QLineEdit* field, double& value);
    static QString CheckNumber(const QLineEdit* field, double low, double high);
    // A length written as the dialogs write it in the unit.
    static QString LengthText(double value, int unit);

    // The size of the view's image when the dialog opened.
    int m_Width;
    int m_Height;
    CSettings& m_Settings;

private:
    static void ReportOutOfMemory(QWidget* parent);
    void chooseColor();
    void showFillColor();

    std::unique_ptr<CEditBmp> m_Preview;
    QBoxLayout* m_Fields = nullptr;
    CPreviewBox* m_Box = nullptr;
    QLabel* m_Swatch = nullptr;
};
