#pragma once

#include <QString>

// What the user had chosen in the save dialog when confirming a name.
struct SaveChoice
{
    int filterIndex = 2;   // the file type, counted from 1: 1 MP3, 2 WAV
    int templateIndex = 0; // entry of the save template list; outside the list counts as 0
    bool selectedPart = false;
    int selectionMs = 0; // length of the timeline's selection, 0 without one
    int totalMs = 0;     // length of the whole mix
    QString folder;      // the dialog's current folder
    QString name;        // the name or path as typed
};

// The verdict on a confirmed name: either the save type, part and path to
// store, or a message for the user while the dialog stays open.
struct SaveCheck
{
    bool accepted = false;
    QString message; // for the user when refused; empty when there is nothing to say
    int saveType = 0;
    int selectedPart = 0;
    QString path; // the file the save writes: typed path resolved, extension added
};

// The ring format holds at most 55 s.
constexpr int kRingFormatLimitMs = 55000;

// Whether a name is a plain file name: not empty, no '/' or '\\', no '"', no
// control characters, not "." or "..".
bool IsBareFileName(const QString& name);

// A typed name or path as file dialogs take it: relative to the dialog's
// folder, "~" standing for the home folder, "." and ".." resolved.
QString ResolveTypedPath(const QString& folder, const QString& typed);

// The save dialog's decision when the user confirms a name. Only the final
// name is checked: the folders on the way are the user's choice. Pure.
SaveCheck CheckSaveFileName(const SaveChoice& choice);
