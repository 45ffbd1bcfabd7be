#include "app/QtTypeNames.h"

#include "base/FileName.h"

#include <QFileIconProvider>

#include <cctype>

CQtTypeNames::CQtTypeNames()
{
    // Index 0: the plain file icon, for types without a theme icon.
    m_Icons.push_back(QFileIconProvider().icon(QAbstractFileIconProvider::File));
}

const CQtTypeNames::Entry& CQtTypeNames::lookup(const std::string& name)
{
    std::string key = Extension(name);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto found = m_ByExtension.find(key);
    if (found != m_ByExtension.end())
        return found->second;

    Entry entry;
    if (!key.empty()) {
        const QMimeType type = m_Mime.mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension);
        if (type.isValid() && !type.isDefault()) {
            entry.TypeName = type.comment().toStdString();
            const std::string iconName = type.iconName().toStdString();
            auto known = m_IconByName.find(iconName);
            if (known != m_IconByName.end()) {
                entry.Icon = known->second;
            } else {
                QIcon themed = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
                if (!themed.isNull()) {
                    entry.Icon = static_cast<int>(m_Icons.size());
                    m_Icons.push_back(themed);
                }
                m_IconByName.emplace(iconName, entry.Icon);
            }
        }
    }
    return m_ByExtension.emplace(std::move(key), std::move(entry)).first->second;
}

std::string CQtTypeNames::TypeName(const std::string& name)
{
    return lookup(name).TypeName;
}

int CQtTypeNames::IconIndex(const std::string& name)
{
    return lookup(name).Icon;
}

QIcon CQtTypeNames::icon(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_Icons.size() ? m_Icons[static_cast<size_t>(index)] : m_Icons[0];
}
