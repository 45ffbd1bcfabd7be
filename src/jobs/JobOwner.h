// What a running job tells whoever started it (a progress dialog, the command
// line). Called on the job's own thread: a window passes each call on to its
// user-interface thread.
#pragma once

#include <string>
#include <vector>

// What the copy job asks when a target exists ("Confirm Replace").
struct ReplaceQuestion {
    std::string ExistingPath, ExistingDetails;  // details: size, " bytes,  ", the date
    std::string SourcePath, SourceDetails;
    std::string NewName;  // the base name offered for "Re&name"
};

struct JobError {
    std::string Path;
    std::string Reason;  // the system's text
    std::string Text;    // the whole message, as the message box shows it
};

class IJobOwner {
public:
    virtual ~IJobOwner() = default;
    virtual void OnProgress(int percent) = 0;  // 0..100
    virtual void OnCurrentItem(const std::string& path) = 0;
    // A failed item; the job goes on with the next one.
    virtual void OnError(const JobError& error) = 0;
    // After each run; stopped when a cancel ended it early.
    virtual void OnFinished(bool stopped) = 0;
    // The copy job waits for CPasteJob::AnswerReplace (or a cancel) after this.
    virtual void OnAskReplace(const ReplaceQuestion&) {}
    // The find job's results, in the order found, a batch at a time.
    virtual void OnFound(const std::vector<std::string>&) {}
};
