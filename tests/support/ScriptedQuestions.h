#pragma once

#include "platform/IQuestionBox.h"

#include <QList>
#include <QStringList>

// A question box that answers from a script and keeps the questions asked.
class ScriptedQuestions : public IQuestionBox
{
public:
    bool Ask(const QString& text, Buttons) override
    {
        asked << text;
        return okAnswers.isEmpty() ? yes : okAnswers.takeFirst();
    }
    Answer AskYesNoCancel(const QString& text) override
    {
        asked << text;
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }

    bool yes = false;        // what Ask answers once okAnswers ran out
    QList<bool> okAnswers;   // what Ask answers, in turn
    QList<Answer> answers; // what AskYesNoCancel answers, in turn; then Cancel
    QStringList asked;
};
