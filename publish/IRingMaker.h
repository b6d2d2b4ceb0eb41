#pragma once

#include <QString>

#include <cstdint>

// What a program hands the ring job runner (CRingJobRunner): how its ring's
// audio is made and written, and where the job's progress goes. The maker
// holds the one ring of its job. Ring worker thread, except AddToList.
class IRingMaker
{
public:
    virtual ~IRingMaker() = default;

    // Saving or uploading the selection: builds the ring from what the
    // command took on the GUI thread. false when there is nothing to build.
    virtual bool BuildRing() = 0;
    // Uploading a library ring: reads the decoded WAV file at path as the
    // ring. false when it cannot be read.
    virtual bool ReadRing(const QString& path) = 0;
    // The ring's length (ms).
    virtual uint32_t RingLengthMs() const = 0;
    // The ring file (.kox) at path; false on any failure.
    virtual bool WriteRingFile(const QString& path) = 0;
    // Makes the ring 8000 Hz mono 16-bit; false when that failed.
    virtual bool ConvertToRingFormat() = 0;
    // The VOX file at path, of the converted ring; false on any failure.
    virtual bool WriteVox(const QString& path) = 0;

    // A step of the progress window: its text, the percent it stands at
    // (negative: where it is) and the percent it climbs to.
    virtual void Step(const QString& text, int from, int to) = 0;
    // The work before the upload is over: the window completes and hides.
    virtual void FinishProgress() = 0;
    // GUI thread: a new ring of the library goes into the program's list.
    virtual void AddToList(const QString& name) = 0;
};
