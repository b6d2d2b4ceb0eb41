#pragma once

#include "audio/AudioTrack.h"
#include "editor/ControlPad.h"
#include "editor/ITrackHost.h"
#include "editor/PadToolbar.h"
#include "tests/support/ClipFixtures.h"

#include <QAction>
#include <QCoreApplication>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <vector>

// A timeline stand-in: mutes and unmutes tracks as the real one does and
// records the rest.
struct FakeTrackHost : ITrackHost
{
    void SelectTrack(CAudioTrack* track) override { selected.push_back(track); }
    void MuteTrack(CAudioTrack* track) override { track->SetMute(true); }
    void UnmuteTrack(CAudioTrack* track) override { track->SetMute(false); }
    void Refresh() override { ++refreshes; }

    std::vector<CAudioTrack*> selected;
    int refreshes = 0;
};

// Tracks numbered 0..n-1, each with a pad and one clip whose player records
// what it was told.
struct PadTracks
{
    explicit PadTracks(int count, FakeTrackHost* host) : logs(static_cast<size_t>(count))
    {
        for (int i = 0; i < count; ++i) {
            auto track = std::make_unique<CAudioTrack>(std::make_unique<CControlPad>());
            track->SetIndex(i);
            track->AddClip(IndexedClip(441, &logs[static_cast<size_t>(i)]));
            Pad(*track)->SetWaveCtrl(host);
            tracks.push_back(std::move(track));
        }
    }

    static CControlPad* Pad(const CAudioTrack& track)
    {
        return static_cast<CControlPad*>(track.GetControlPad());
    }
    CControlPad* Pad(int i) const { return Pad(*tracks[static_cast<size_t>(i)]); }

    // The pad's signals are posted; this delivers them.
    static void Click(CControlPad* pad, QAction* (CPadToolbar::*action)() const)
    {
        auto* toolbar = pad->findChild<CPadToolbar*>();
        for (QToolButton* button : toolbar->findChildren<QToolButton*>()) {
            if (button->defaultAction() == (toolbar->*action)())
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QCoreApplication::processEvents();
    }
    void ClickMute(int i) const { Click(Pad(i), &CPadToolbar::MuteAction); }
    void ClickSolo(int i) const { Click(Pad(i), &CPadToolbar::SoloAction); }

    // PlayerLog entries are referenced by the clips' players: they go last.
    std::vector<PlayerLog> logs;
    std::vector<std::unique_ptr<CAudioTrack>> tracks;
};
