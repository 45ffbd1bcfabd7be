// Reading the older text file "oc.set".
#include "settings/Settings.h"
#include "settings/SettingsLayout.h"

#include <fstream>
#include <limits>
#include <string_view>

namespace {

// The older program kept its line in a 256-byte buffer.
constexpr size_t kMaxLegacyLine = 255;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Walks the line: a single digit followed by its separator, or a longer
// number ending at the next blank. Anything that is not a whole decimal
// number in 32 bits ends the walk; the values taken before it stay.
class CLegacyReader {
public:
    explicit CLegacyReader(std::string line) : m_Line(std::move(line)) {}

    void operator()(int position, int32_t& v)
    {
        if (m_Stopped || IsSkipped(position))
            return;
        int32_t value;
        if (Next(value))
            v = value;
        else
            m_Stopped = true;
    }
    // The older layout has no doubles, floats or strings.
    void operator()(int, double&) {}
    void operator()(int, float&) {}
    void operator()(int, std::string&) {}

private:
    static bool IsSkipped(int position)
    {
        // emf, wmf, dds and psd came later, and so did everything after 113.
        return position == 6 || position == 21 || position == 22 || position == 23 || position > 113;
    }

    // An optional minus sign and at least one digit, nothing else, in range.
    static bool ParseDecimal(std::string_view token, int32_t& value)
    {
        bool negative = !token.empty() && token.front() == '-';
        if (negative)
            token.remove_prefix(1);
        if (token.empty())
            return false;
        int64_t n = 0;
        for (char c : token) {
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + (c - '0');
            if (n > int64_t(std::numeric_limits<int32_t>::max()) + 1)
                return false;
        }
        if (negative)
            n = -n;
        if (n > std::numeric_limits<int32_t>::max())
            return false;
        value = static_cast<int32_t>(n);
        return true;
    }

    bool Next(int32_t& value)
    {
        size_t len = m_Line.size();
        if (m_Pos >= len)
            return false;
        if (m_Pos + 1 >= len || IsBlank(m_Line[m_Pos + 1])) {
            char c = m_Line[m_Pos];
            if (c < '0' || c > '9')
                return false;
            value = c - '0';
            m_Pos += 2;
            return true;
        }
        size_t end = m_Pos;
        while (end < len && !IsBlank(m_Line[end]))
            ++end;
        if (!ParseDecimal(std::string_view(m_Line).substr(m_Pos, end - m_Pos), value))
            return false;
        m_Pos = end + 1;
        return true;
    }

    std::string m_Line;
    size_t m_Pos = 0;
    bool m_Stopped = false;
};

} // namespace

bool CSettings::LoadLegacyFrom(const std::string& path)
{
    std::ifstream in(path);
    if (!in.is_open())
        return false;
    char buffer[kMaxLegacyLine + 1] = {};
    in.get(buffer, sizeof buffer, '\n');
    if (in.bad())
        return false;
    std::string line(buffer, static_cast<size_t>(in.gcount()));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    ForEachSettingsValue(*this, CLegacyReader(std::move(line)));
    ReplaceInvalidValues();
    return true;
}

bool CSettings::LoadLegacy()
{
    return LoadLegacyFrom(LegacyFilePath());
}
