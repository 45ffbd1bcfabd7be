#include "browser/GroupCriteria.h"

#include "base/DayMoment.h"
#include "base/FileName.h"

namespace {

constexpr long long kLargestSizeNumber = 2147483647;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2037;

bool YearInRange(int year)
{
    return year >= kFirstYear && year <= kLastYear;
}

} // namespace

std::string GroupCriteria::Validate() const
{
    if (UseSize && (SizeNumber < 1 || SizeNumber > kLargestSizeNumber))
        return "Please enter a value between 1 and 2147483647 for file size.";
    if (UseDate && (!YearInRange(FromYear) || !YearInRange(ToYear)))
        return "Please enter a value between 1970 and 2037.";
    return {};
}

bool GroupCriteria::AnyChecked() const
{
    return UseExtension || UseSize || UseDate;
}

bool GroupCriteria::Matches(const FileItem& item) const
{
    return CGroupMatcher(*this).Matches(item);
}

CGroupMatcher::CGroupMatcher(const GroupCriteria& criteria) : m_Criteria(criteria)
{
    if (criteria.UseSize && criteria.SizeNumber > 0) {
        const uint64_t scale = criteria.SizeUnit == 2 ? 1048576 : criteria.SizeUnit == 1 ? 1024 : 1;
        const auto number = static_cast<uint64_t>(criteria.SizeNumber);
        m_Size = number > UINT64_MAX / scale ? UINT64_MAX : number * scale;
    }
    if (criteria.UseDate) {
        m_From = DayMoment(criteria.FromDay, criteria.FromMonth, criteria.FromYear);
        m_To = DayMoment(criteria.ToDay, criteria.ToMonth, criteria.ToYear);
    }
}

bool CGroupMatcher::Matches(const FileItem& item) const
{
    const GroupCriteria& c = m_Criteria;
    if (c.UseExtension && !EqualsNoCase(Extension(item.Name), c.Extension))
        return false;
    if (c.UseSize) {
        // A size field below 1 is refused by the dialog; here it matches no file.
        if (c.SizeNumber < 1)
            return false;
        switch (c.SizeRelation) {
        case GroupCriteria::kLess:
            if (!(item.Size < m_Size))
                return false;
            break;
        case GroupCriteria::kGreater:
            if (!(item.Size > m_Size))
                return false;
            break;
        default:
            if (item.Size != m_Size)
                return false;
            break;
        }
    }
    if (c.UseDate && !(item.Modified > m_From && item.Modified < m_To))
        return false;
    return true;
}
