// The ring service client both programs share, beyond what Brevanta's ring
// road shows through its frame: how its worker-side calls reach the GUI
// thread, and the lengths of library rings it lets go to the service.
#include "publish/RingPublisher.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/ScriptedQuestions.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(RingPublisher, WorkerCallsReachTheGuiThreadUntilItCloses)
{
    QWidget window;
    RecordingMessageSink messages;
    ScriptedQuestions questions;
    RecordingUrlOpener urls;
    auto* publisher = new CRingPublisher(messages, questions, urls, &window);

    // On the GUI thread itself the call runs at once instead of waiting on
    // its own thread.
    publisher->TellFromWorker("gui");
    std::atomic<bool> done{false};
    std::thread worker([&] {
        publisher->TellFromWorker("worker");
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(messages.messages, QStringList({"gui", "worker"}));

    // Closed, the worker neither waits for the GUI thread (which here runs no
    // events) nor sends anything.
    publisher->Close();
    bool uploaded = true;
    std::thread late([&] {
        publisher->TellFromWorker("late");
        uploaded = publisher->UploadRing("a", "/nonexistent.kox", "/nonexistent.vox", true);
    });
    late.join();
    EXPECT_FALSE(uploaded);
    EXPECT_EQ(messages.messages, QStringList({"gui", "worker"}));
}

TEST(RingPublisher, LibraryRingLengths)
{
    const QString refused =
        QStringLiteral("彩铃的长度必须控制在 5 - 55秒之内，该铃音文件格式不正确。");
    // The longest wmav2 frame of any ring rate (as ffprobe shows its
    // packets): 2048 samples at 32000 Hz, 64 ms, taken for every rate.
    EXPECT_EQ(CRingPublisher::LongestRingFileMs(), 55064u);
    struct Case
    {
        uint32_t ms;
        bool taken;
    };
    const Case cases[] = {
        {0, false},    {4999, false}, {5000, true},   {55000, true},
        {55040, true}, {55064, true}, {55065, false}, {56000, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRingPublisher::RingFileLengthProblem(c.ms), c.taken ? QString() : refused)
            << c.ms << " ms";
    }
}

} // namespace
