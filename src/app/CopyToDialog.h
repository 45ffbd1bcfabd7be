// "Copy To" / "Move To": where the selected files go. The destination starts
// as the current folder; an entry of "Recent folders" or "Favorite folders",
// or a folder chosen with "&Browse...", becomes the destination.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

class CCopyToDialog : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        bool Copy = true;
        std::string Source;       // the folder the files are in
        QString SourceText;       // what is copied, for the source line
        std::string Destination;  // where the field starts
        std::vector<std::string> Recent, Favourites;
        bool ShowHidden = false;
        // The message refusing a destination, or empty when it will do.
        std::function<QString(const std::string& destination)> Refusal;
    };

    explicit CCopyToDialog(Setup setup, QWidget* parent = nullptr);

    // The destination as typed or chosen, made absolute against the starting folder.
    std::string destination() const;

public slots:
    // Nothing happens for an empty destination; a refused one shows its message and the dialog stays.
    void accept() override;

private:
    void choose(const std::string& path);
    void browse();
    void fillList(QListWidget* list, const std::vector<std::string>& folders);

    Setup m_Setup;
    QLineEdit* m_Destination;
    std::string m_Chosen;  // the exact bytes of the last folder picked from a list or "Browse"
};
