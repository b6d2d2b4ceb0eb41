#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class CAudioTrack;
class CControlPad;
class ITrackHost;

// The stack of track pads beside the timeline: pad i sits in the 80-px row of
// track index i, moved up by the vertical offset, so pads line up with the
// timeline's rows and scroll with them. Turns the pads' mute and solo buttons
// into muting and unmuting of tracks in the timeline.
//
// Ownership: the pads belong to their tracks. The container parents a pad
// while showing it and gives it back (hidden, without a parent) when it is
// removed or when the container goes, so a pad is never deleted twice. A pad
// whose track deletes it while shown simply drops out of the stack.
// GUI thread only.
class CControlPadContainer : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 80; // px, the timeline's track row

    explicit CControlPadContainer(QWidget* parent = nullptr);
    ~CControlPadContainer() override;

    // Shows the track's pad in its row. 1, or 0 for no track or a track
    // without a pad. Re-lays out every pad when the track is not the last.
    int AddPad(CAudioTrack* track);
    // Takes the first pad of the track out; the pads below move up when the
    // timeline has renumbered its tracks.
    void RemovePad(CAudioTrack* track);
    void RemoveAllPads();
    // Every pad's label re-reads its track's number and focus.
    void RefreshPads();
    void LayoutPads();
    // offset: px of the timeline's content scrolled off the top.
    void ScrollTo(int offset);
    void SetWaveCtrl(ITrackHost* host) { m_host = host; }

    // With any solo pad, exactly the solo tracks sound; otherwise every track
    // sounds except those whose pad says mute. Runs on every pad's change.
    void ResolveMuteSolo();

    // The pads shown, top to bottom in the order they were added.
    QList<CControlPad*> Pads() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void DropDeletedPads();
    void Release(CControlPad* pad);

    QList<QPointer<CControlPad>> m_pads;
    int m_offset = 0;
    ITrackHost* m_host = nullptr;
};
