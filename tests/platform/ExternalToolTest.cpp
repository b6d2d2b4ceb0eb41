#include "platform/ExternalTool.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Puts a shell script named name on PATH for this test.
void FakeTool(const QString& name, const QByteArray& body)
{
    const QString bin = TestEnvironment::Home() + "/bin";
    QDir().mkpath(bin);
    QFile script(bin + "/" + name);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n" + body + "\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toLocal8Bit());
}

TEST(ExternalTool, ResultsAndStaleTargets)
{
    const QString target = TestEnvironment::Home() + "/out.wav";
    FakeTool("zuvo-good", "printf new > \"$2\"");
    FakeTool("zuvo-bad", "exit 3");
    FakeTool("zuvo-args", "[ \"$1\" = 'a b;$(x)' ] && printf ok > \"$2\"");

    QFile stale(target);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    EXPECT_EQ(ExternalTool("zuvo-bad").Run({"x", target}, target), ExternalTool::Result::Failed);
    EXPECT_FALSE(QFile::exists(target)) << "the old output is gone before the tool runs";

    EXPECT_EQ(ExternalTool("zuvo-good").Run({"x", target}, target),
              ExternalTool::Result::Succeeded);
    QFile made(target);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), "new");

    // Arguments reach the tool as they are: no shell between.
    EXPECT_EQ(ExternalTool("zuvo-args").Run({"a b;$(x)", target}, target),
              ExternalTool::Result::Succeeded);
    EXPECT_EQ(ExternalTool("zuvo-missing").Run({}, QString()),
              ExternalTool::Result::CannotStart);
    EXPECT_TRUE(ExternalTool("zuvo-missing").Locate().isEmpty());
}

} // namespace
