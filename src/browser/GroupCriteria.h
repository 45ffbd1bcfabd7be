// The criteria of "Select Group" and "Unselect Group".
#pragma once

#include "browser/FileItem.h"

#include <cstdint>
#include <string>

struct GroupCriteria {
    enum Relation { kEqual = 0, kLess = 1, kGreater = 2 };  // "=", "<", ">"

    bool UseExtension = false;
    std::string Extension;
    bool UseSize = false;
    long long SizeNumber = 1;
    int SizeRelation = kEqual;
    int SizeUnit = 0;  // 0 bytes, 1 KB, 2 MB
    bool UseDate = false;
    int FromDay = 1, FromMonth = 1, FromYear = 2000;
    int ToDay = 1, ToMonth = 1, ToYear = 2000;
    bool Expand = false;  // Select Group only: rows that do not match keep their state

    // The message that keeps the dialog open, or "" when the fields are acceptable.
    std::string Validate() const;
    bool AnyChecked() const;
    // Every checked criterion holds for the file.
    bool Matches(const FileItem& item) const;
};

// The criteria with the date range worked out once, for matching a whole list.
class CGroupMatcher {
public:
    explicit CGroupMatcher(const GroupCriteria& criteria);
    bool Matches(const FileItem& item) const;

private:
    GroupCriteria m_Criteria;
    uint64_t m_Size = 0;
    int64_t m_From = 0;  // exclusive bounds, seconds since 1970 UTC
    int64_t m_To = 0;
};
