#pragma once

#include <QString>

class CRingJob;
class CRingPublisher;
class IRingMaker;

// The ring worker's procedure, one copy for both programs: the working files
// of an earlier job go, then
// - saving the selection: the ring is built and written into the library;
// - uploading the selection: the ring is built and written (into the library
//   or as the working ring file), converted and written as the VOX file;
// - uploading a library ring: the file is decoded, its length checked, the
//   audio converted and written as the VOX file;
// and the two files are uploaded. A ring of the library is written under a
// temporary name beside its place and renamed over it only once everything
// it needs is written, so a failure leaves the old ring and the list as they
// were. What differs between the programs comes from the maker (how the ring
// is made and written, where progress goes) and the wording.
//
// Run on the ring worker; it reaches the GUI thread only through the
// publisher (messages, the list, the upload).
class CRingJobRunner
{
public:
    // The steps of a save, which differ between the programs, and the words
    // for a VOX file that could not be written.
    struct Wording
    {
        QString saveBuildStep;
        int saveBuildTo = 40;
        QString saveWriteStep;
        int saveWriteFrom = 40;
        int saveWriteTo = 60;
        QString voxWriteFailed;
    };
    // The job's working files.
    struct Files
    {
        QString vox;     // "~URING.vox", the VOX file uploaded
        QString decoded; // "~VAZOZEDU.wav", a library ring decoded
        QString ring;    // "~URING.kox", the ring file of an upload not kept
    };
    struct Outcome
    {
        bool kept = false;     // the ring went into the library
        bool uploaded = false; // the service took it
    };

    // publisher outlives the runner.
    CRingJobRunner(CRingPublisher& publisher, Wording wording, Files files);

    // Ring worker: runs job with maker to its end (messages shown, progress
    // finished, the upload done). Nothing is uploaded once the publisher is
    // closing.
    Outcome Run(const CRingJob& job, IRingMaker& maker) const;

private:
    CRingPublisher& m_publisher;
    Wording m_wording;
    Files m_files;
};
