#include "app/CommandDispatcher.h"

#include <stdexcept>
#include <string>

void CCommandDispatcher::add(int id, Action run, Predicate enabled, Predicate checked)
{
    const bool inserted =
        m_Entries.emplace(id, Entry{std::move(run), std::move(enabled), std::move(checked)}).second;
    if (!inserted)
        throw std::logic_error("command " + std::to_string(id) + " registered twice");
}

void CCommandDispatcher::add(std::initializer_list<int> ids, const std::function<void(int)>& run,
                             const std::function<bool(int)>& enabled, const std::function<bool(int)>& checked)
{
    for (int id : ids) {
        add(
            id, run ? Action([run, id] { run(id); }) : Action(),
            enabled ? Predicate([enabled, id] { return enabled(id); }) : Predicate(),
            checked ? Predicate([checked, id] { return checked(id); }) : Predicate());
    }
}

bool CCommandDispatcher::run(int id) const
{
    if (!isEnabled(id))
        return false;
    // A copy: the command may register or replace commands while it runs.
    const Action action = m_Entries.at(id).Run;
    action();
    return true;
}

bool CCommandDispatcher::isEnabled(int id) const
{
    const auto it = m_Entries.find(id);
    if (it == m_Entries.end() || !it->second.Run)
        return false;
    return !it->second.Enabled || it->second.Enabled();
}

bool CCommandDispatcher::isChecked(int id) const
{
    const auto it = m_Entries.find(id);
    return it != m_Entries.end() && it->second.Checked && it->second.Checked();
}

bool CCommandDispatcher::isRunnable(int id) const
{
    const auto it = m_Entries.find(id);
    return it != m_Entries.end() && it->second.Run;
}

std::vector<int> CCommandDispatcher::ids() const
{
    std::vector<int> result;
    result.reserve(m_Entries.size());
    for (const auto& [id, entry] : m_Entries)
        result.push_back(id);
    return result;
}
