#include "tests/editor/TrackPadFixture.h"

#include "editor/ControlPadContainer.h"
#include "editor/WaveLogo.h"

#include <QSlider>

#include <gtest/gtest.h>

namespace {

struct PadStack : testing::Test
{
    PadStack()
    {
        container.SetWaveCtrl(&host);
        container.resize(160, 400);
        for (const auto& track : t.tracks)
            EXPECT_EQ(container.AddPad(track.get()), 1);
        container.show();
    }

    // Whether each track is muted, and whether its clip's player was told so.
    std::vector<bool> Muted() const
    {
        std::vector<bool> muted;
        for (size_t i = 0; i < t.tracks.size(); ++i) {
            EXPECT_EQ(t.tracks[i]->IsMuted(), t.logs[i].lastMute) << "track " << i;
            muted.push_back(t.tracks[i]->IsMuted());
        }
        return muted;
    }

    std::vector<int> PadTops() const
    {
        std::vector<int> tops;
        for (CControlPad* pad : container.Pads())
            tops.push_back(pad->geometry().top());
        return tops;
    }

    FakeTrackHost host;
    PadTracks t{3, &host};
    // Declared last, so it hands the pads back before the tracks delete them.
    CControlPadContainer container;
};

using Muting = std::vector<bool>;

TEST_F(PadStack, SoloOverridesMuteUntilCleared)
{
    t.ClickMute(0);
    EXPECT_EQ(Muted(), (Muting{true, false, false}));
    t.ClickSolo(1);
    EXPECT_EQ(Muted(), (Muting{true, false, true})) << "only the solo track plays";
    EXPECT_TRUE(t.Pad(0)->IsMuted()) << "track 1's mute button stays down";

    t.ClickSolo(1);
    EXPECT_FALSE(t.Pad(1)->IsSolo());
    EXPECT_EQ(Muted(), (Muting{true, false, false})) << "track 1's mute is back";
}

TEST_F(PadStack, MuteAndSoloExcludeEachOtherOnOnePad)
{
    auto* toolbar = t.Pad(1)->findChild<CPadToolbar*>();
    t.ClickSolo(1);
    EXPECT_EQ(Muted(), (Muting{true, false, true}));

    t.ClickMute(1);
    EXPECT_TRUE(t.Pad(1)->IsMuted());
    EXPECT_FALSE(t.Pad(1)->IsSolo());
    EXPECT_FALSE(toolbar->SoloAction()->isChecked());
    EXPECT_EQ(Muted(), (Muting{false, true, false})) << "re-resolved without a solo";

    t.ClickSolo(1);
    EXPECT_FALSE(t.Pad(1)->IsMuted());
    EXPECT_FALSE(toolbar->MuteAction()->isChecked());
    EXPECT_EQ(Muted(), (Muting{true, false, true}));

    const auto buttons = toolbar->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->toolTip(), QStringLiteral("播放静音"));
    EXPECT_EQ(buttons[1]->toolTip(), QStringLiteral("播放独奏"));
}

TEST_F(PadStack, VolumeSliderReachesTheClipsPlayers)
{
    auto* slider = t.Pad(2)->findChild<QSlider*>(QStringLiteral("volume"));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), 100);
    const std::pair<int, int> table[] = {{0, -5000}, {50, -2500}, {100, 0}, {37, -3150}};
    for (const auto& [position, volume] : table) {
        slider->setValue(position);
        EXPECT_EQ(t.logs[2].lastVolume, volume) << "position " << position;
        EXPECT_EQ(t.Pad(2)->GetVolume(), position);
    }
    EXPECT_EQ(t.logs[0].lastVolume, 0) << "other tracks untouched";
}

TEST_F(PadStack, ClickOnThePadSelectsItsTrack)
{
    QTest::mouseClick(t.Pad(1)->findChild<CWaveLogo*>(), Qt::LeftButton);
    ASSERT_EQ(host.selected.size(), 1u);
    EXPECT_EQ(host.selected[0], t.tracks[1].get());
    EXPECT_EQ(host.refreshes, 1);

    QTest::mouseClick(t.Pad(1)->findChild<QSlider*>(QStringLiteral("balance")), Qt::LeftButton);
    EXPECT_EQ(host.selected.size(), 1u) << "the sliders keep their clicks";
}

// Digits are 7 px wide, and a number ends at least 2 px before the speaker,
// which starts at x = 25.
TEST(WaveLogo, NumbersStayClearOfTheSpeaker)
{
    CWaveLogo logo;
    logo.resize(57, 19);
    for (int number : {1, 10, 18, 88, 100, 999}) {
        logo.SetNumber(number);
        const QImage image = logo.grab().toImage();
        if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
            image.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") +
                       QStringLiteral("/pad-number-%1.png").arg(number));
        const QRgb ground = CWaveLogo::kNormalColor.rgb();
        int inkRight = -1;
        for (int x = 0; x < 25; ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixel(x, y) != ground)
                    inkRight = x;
            }
        }
        EXPECT_GT(inkRight, 5) << number << " is drawn";
        EXPECT_LE(inkRight, 22) << number;
        if (number < 100) {
            EXPECT_LE(inkRight, 5 + 7 * QString::number(number).size())
                << number << ": 7 px a digit";
        }
    }
}

TEST_F(PadStack, PadsBelowADeletedTrackMoveUp)
{
    EXPECT_EQ(PadTops(), (std::vector<int>{0, 80, 160}));
    container.ScrollTo(40);
    EXPECT_EQ(PadTops(), (std::vector<int>{-40, 40, 120}));
    container.ScrollTo(0);

    // What the timeline does: take the track out, renumber, remove its pad.
    std::unique_ptr<CAudioTrack> gone = std::move(t.tracks[1]);
    t.tracks.erase(t.tracks.begin() + 1);
    t.tracks[1]->SetIndex(1);
    container.RemovePad(gone.get());

    EXPECT_EQ(PadTops(), (std::vector<int>{0, 80}));
    EXPECT_EQ(container.Pads()[1], t.Pad(1));
    EXPECT_EQ(t.Pad(1)->findChild<CWaveLogo*>()->GetNumber(), 2);
    CControlPad* removed = PadTracks::Pad(*gone);
    EXPECT_EQ(removed->parentWidget(), nullptr);
    EXPECT_TRUE(removed->isHidden());
    gone.reset(); // the track deletes its pad; the container no longer knows it
    container.LayoutPads();
}

TEST_F(PadStack, TrackDeletingItsShownPadLeavesNoDanglingPad)
{
    t.ClickSolo(2);
    t.tracks[2].reset();
    EXPECT_EQ(container.Pads().size(), 2);
    container.ResolveMuteSolo();
    EXPECT_FALSE(t.tracks[0]->IsMuted()) << "the deleted solo pad no longer counts";
    EXPECT_FALSE(t.tracks[1]->IsMuted());
    container.LayoutPads();
    container.RefreshPads();
    container.RemoveAllPads();
}

TEST(ControlPadContainer, ContainerGoingFirstGivesThePadsBack)
{
    FakeTrackHost host;
    PadTracks t(2, &host);
    auto container = std::make_unique<CControlPadContainer>();
    container->AddPad(t.tracks[0].get());
    container->AddPad(t.tracks[1].get());
    container->show();
    EXPECT_EQ(container->AddPad(nullptr), 0);
    CAudioTrack padless;
    EXPECT_EQ(container->AddPad(&padless), 0);

    container.reset();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(t.Pad(i)->parentWidget(), nullptr);
        EXPECT_TRUE(t.Pad(i)->isHidden());
    }
    t.ClickMute(0); // a pad with no container still works on its own
    EXPECT_TRUE(t.Pad(0)->IsMuted());
}

TEST(ControlPad, NarrowPadCollapsesItsControls)
{
    CControlPad pad;
    auto* volume = pad.findChild<QSlider*>(QStringLiteral("volume"));
    auto* balance = pad.findChild<QSlider*>(QStringLiteral("balance"));
    auto* toolbar = pad.findChild<CPadToolbar*>();

    pad.resize(160, 80);
    pad.show();
    EXPECT_EQ(volume->geometry().left(), 52);
    EXPECT_EQ(volume->geometry().right() + 1, 155);
    EXPECT_EQ(balance->geometry().right() + 1, 155);
    EXPECT_EQ(toolbar->geometry(), QRect(105, 4, 50, 22));

    pad.resize(110, 80);
    EXPECT_EQ(volume->width(), 0);
    EXPECT_EQ(balance->width(), 0);
    EXPECT_EQ(volume->geometry().left(), 52);
    EXPECT_EQ(toolbar->width(), 0);

    pad.resize(40, 80);
    EXPECT_EQ(volume->width(), 0);
    EXPECT_EQ(toolbar->width(), 0);
}

} // namespace
