#pragma once

#include "audio/IAudioPlayer.h"
#include "audio/ISampleSource.h"
#include "platform/IMessageSink.h"
#include "platform/IUrlOpener.h"
#include "simple/KelvoApp.h"
#include "simple/KelvoDlg.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// What the program shows, recorded instead. whileOpen, when set, runs while
// the message is "open", as a modal box's own event loop would.
class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override
    {
        messages << text;
        mostOpen = std::max(mostOpen, ++open);
        if (whileOpen)
            whileOpen(text);
        --open;
    }
    QStringList messages;
    std::function<void(const QString& text)> whileOpen;
    int open = 0;
    int mostOpen = 0; // more than 1: a message opened over another
};

class RecordingUrls : public IUrlOpener
{
public:
    bool OpenUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};

// The last volume each player was given, in the order the editor made them
// (music first, then voice).
struct VolumeLog
{
    std::vector<int> volumes;
};

class VolumePlayer : public IAudioPlayer
{
public:
    VolumePlayer(VolumeLog& log, size_t index) : m_log(log), m_index(index) {}
    void SetClip(ISampleSource*) override {}
    int Create(bool) override { return 1; }
    int Play() override { return 1; }
    int Stop() override { return 1; }
    bool IsPlaying() const override { return false; }
    void Mute(bool) override {}
    void SetVolume(int volume) override { m_log.volumes[m_index] = volume; }

private:
    VolumeLog& m_log;
    size_t m_index;
};

// Kelvo as its program starts it, with the boxes and the players recorded.
struct KelvoFixture : testing::Test
{
    CKelvoApp::Start Start(const QStringList& args = {})
    {
        app = std::make_unique<CKelvoApp>(messages, questions, urls);
        app->SetPlayerFactory([this] {
            volumes.volumes.push_back(1);
            return std::make_unique<VolumePlayer>(volumes, volumes.volumes.size() - 1);
        });
        return app->InitInstance(args);
    }
    CKelvoDlg* Dlg() const { return app ? app->MainDialog() : nullptr; }
    int MusicVolume() const { return volumes.volumes.at(0); }
    int VoiceVolume() const { return volumes.volumes.at(1); }

    static QString ConfPath() { return TestEnvironment::ConfigHome() + "/zuvo/zuvo.conf"; }
    // The settings as Python's configparser reads them ([General]).
    static QMap<QString, QString> Conf()
    {
        QProcess python;
        python.start("python3", {"-c",
                                 "import configparser,sys\n"
                                 "c=configparser.ConfigParser(interpolation=None)\n"
                                 "c.optionxform=str\n"
                                 "c.read(sys.argv[1],encoding='utf-8')\n"
                                 "s=c['General'] if c.has_section('General') else {}\n"
                                 "for k in s: print(k+'='+s[k])\n",
                                 ConfPath()});
        EXPECT_TRUE(python.waitForFinished(10000));
        QMap<QString, QString> values;
        for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
            const int eq = line.indexOf('=');
            if (eq > 0)
                values[QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
        }
        return values;
    }
    // Stores the [General] lines before Kelvo starts.
    static void WriteConf(const QByteArray& general)
    {
        QDir().mkpath(TestEnvironment::ConfigHome() + "/zuvo");
        QFile file(ConfPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\n" + general);
    }

    RecordingSink messages;
    ScriptedQuestions questions;
    RecordingUrls urls;
    VolumeLog volumes;
    std::unique_ptr<CKelvoApp> app;
};
