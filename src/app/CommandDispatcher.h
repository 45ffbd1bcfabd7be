// CCommandDispatcher: what each command id does, when it is enabled and when
// its menu item is checked. Every area of the window (browser, view, window,
// image operations, ...) registers its own commands here; a command nobody
// registered is shown disabled.
#pragma once

#include <functional>
#include <map>
#include <vector>

class CCommandDispatcher {
public:
    using Action = std::function<void()>;
    using Predicate = std::function<bool()>;

    // Registers id once (a second registration is a programming error and
    // throws std::logic_error). A missing run leaves the command disabled; a
    // missing enabled means always enabled; a missing checked means unchecked.
    void add(int id, Action run, Predicate enabled = {}, Predicate checked = {});
    // The same run and predicates for several ids.
    void add(std::initializer_list<int> ids, const std::function<void(int)>& run,
             const std::function<bool(int)>& enabled = {}, const std::function<bool(int)>& checked = {});

    // Runs id when it is enabled; false when it did not run.
    bool run(int id) const;
    bool isEnabled(int id) const;
    bool isChecked(int id) const;
    // Registered with something to run (whether enabled now or not).
    bool isRunnable(int id) const;
    std::vector<int> ids() const;

private:
    struct Entry {
        Action Run;
        Predicate Enabled;
        Predicate Checked;
    };
    std::map<int, Entry> m_Entries;
};
