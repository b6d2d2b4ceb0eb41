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
    // wmav2 frames (as ffprobe shows their packets): 512 samples at 16000 Hz,
    // 32 ms; 1024 samples at 22050 Hz, 46.4 ms.
    struct Case
    {
        uint32_t ms;
        uint32_t rate;
        bool taken;
    };
    const Case cases[] = {
        {0, 16000, false},     {4999, 16000, false},  {5000, 16000, true},  {55000, 16000, true},
        {55032, 16000, true},  {55033, 16000, false}, {55047, 22050, true}, {55048, 22050, false},
        {56000, 16000, false}, {55001, 12345, false}, {55000, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRingPublisher::RingFileLengthProblem(c.ms, c.rate),
                  c.taken ? QString() : refused)
            << c.ms << " ms at " << c.rate << " Hz";
    }
}

} // namespace
