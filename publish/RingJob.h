#pragma once

#include <QString>

#include <cstdint>

// What one ring worker does: save the selection into the ring library
// (SaveToLibrary), upload a ring of the library (UploadFile) or upload the
// selection (UploadSelection). Filled by the frame's ring commands on the GUI
// thread, then handed to the worker as a copy.
//
// Kelvo's jobs also say what of its edit the ring holds (SetContent); its
// commands set it before the worker starts. Brevanta's ring is always its
// mixdown and leaves it at Mix.
class CRingJob
{
public:
    enum Mode { SaveToLibrary = 0, UploadFile = 1, UploadSelection = 2 };
    // The music alone, the recording alone, or both mixed.
    enum Content { Music = 0, Recording = 1, Mix = 2 };

    void SetName(const QString& name) { m_name = name; }
    void SetPath(const QString& path) { m_path = path; }
    void SetContent(int content) { m_content = content; }
    void SetMode(int mode) { m_mode = mode; }
    void SetShare(int share) { m_share = share; }

    QString m_name;
    QString m_path;             // the ring file written or uploaded
    int m_content = Mix;        // a Content; what modes 0 and 2 build the ring of
    int m_addToLibrary = 0;     // the ring file is a ring of the library
    int m_replacedExisting = 0; // it replaces a ring already listed
    int m_share = 0;
    int m_mode = 0;
    // Brevanta's selection (ms) where the ring command's check passed, taken
    // on the GUI thread: the worker mixes this range, not the live selection.
    uint32_t m_selStart = 0;
    uint32_t m_selEnd = 0;
};
