// Stands in for the program's message boxes in a window test: between Start
// and Stop each box's text and kind are kept and Answer (read when the box
// comes up) is its answer.
#pragma once

#include "app/MessageBox.h"

#include <QList>
#include <QStringList>

struct MessageRecorder {
    MessageRecorder() = default;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    ~MessageRecorder() { Stop(); }

    void Start(int answer = 0)
    {
        Texts.clear();
        Kinds.clear();
        Answer = answer;
        MessageBox::SetHook([this](QWidget*, const QString& text, int kind) {
            Texts << text;
            Kinds << kind;
            return Answer;
        });
    }
    void Stop() { MessageBox::SetHook({}); }

    QStringList Texts;
    QList<int> Kinds;
    int Answer = 0;
};
