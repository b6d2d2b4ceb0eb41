#pragma once

#include <QString>

// Where a lower layer asks the user a question. The programs show a modal
// message box on the GUI thread; tests answer from a script. Implementations
// say which threads may call them.
class IQuestionBox
{
public:
    // The two buttons of the question; the first of each pair is the "go on"
    // answer.
    enum class Buttons { OkCancel, YesNo };
    // The answers of a question that may also be called off.
    enum class Answer { Yes, No, Cancel };

    virtual ~IQuestionBox() = default;
    // True for OK (or Yes), false for Cancel (or No, or the box closed).
    // The text is shown as plain text.
    virtual bool Ask(const QString& text, Buttons buttons = Buttons::OkCancel) = 0;
    // Yes, No or Cancel; closing the box is Cancel. Plain text.
    virtual Answer AskYesNoCancel(const QString& text) = 0;
};
