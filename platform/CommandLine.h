#pragma once

#include <QString>
#include <QStringList>

// The start-up switches both programs understand. A word is a switch only when,
// after "-", "--" or "/", it names one of the known switches (any case); any
// other word is a file to open, so "/home/u/a b.mp3" is a file. Other words
// beginning with "-" are unknown options and are ignored.
struct CommandLine
{
    enum class Command { FileNew, FileOpen, Register, Unregister };

    Command command = Command::FileNew;
    bool embedding = false;  // "Embedding": started by the desktop to serve an object
    bool automation = false; // "Automation"
    QString fileName;        // the first file named, when command is FileOpen

    // args excludes the program name.
    static CommandLine Parse(const QStringList& args);
};
