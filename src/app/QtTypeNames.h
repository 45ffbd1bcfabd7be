// Type names and icons of listed files from the desktop's MIME database, by
// file name only, cached per extension.
#pragma once

#include "browser/FolderListing.h"

#include <QIcon>
#include <QMimeDatabase>

#include <string>
#include <unordered_map>
#include <vector>

class CQtTypeNames : public ITypeNames {
public:
    CQtTypeNames();
    std::string TypeName(const std::string& name) override;
    int IconIndex(const std::string& name) override;
    QIcon icon(int index) const;

private:
    struct Entry {
        std::string TypeName;
        int Icon = 0;
    };
    const Entry& lookup(const std::string& name);

    QMimeDatabase m_Mime;
    std::unordered_map<std::string, Entry> m_ByExtension;
    std::unordered_map<std::string, int> m_IconByName;
    std::vector<QIcon> m_Icons;
};
