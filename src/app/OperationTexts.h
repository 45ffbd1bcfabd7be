// What the status bar and the error box say for each command that changes or
// inspects the shown image, and whether a success marks the image as 24-bit.
#pragma once

struct OperationTexts {
    int Id;
    const char* Progress;  // shown in the state pane while it runs
    const char* Error;     // shown instead of the operation's own text; null: none
    bool Depth24;          // a success sets the image's source depth to 24
};

// The row of a command id, or null.
const OperationTexts* FindOperationTexts(int id);

extern const char* const kOperationDoneText;  // "  Done"
