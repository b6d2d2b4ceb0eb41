// Claims a single-instance name and reports on stdout what happened:
// "primary", "another" or "unavailable"; a primary then prints "raised" for
// every raise request and runs until its stdin closes or it is killed.
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    switch (instance.Claim()) {
    case SingleInstance::Result::AnotherRunning:
        std::puts("another");
        return 0;
    case SingleInstance::Result::Unavailable:
        std::puts("unavailable");
        return 3;
    case SingleInstance::Result::Primary:
        std::puts("primary");
        std::fflush(stdout);
        break;
    }
    QObject::connect(&instance, &SingleInstance::raiseRequested, [] {
        std::puts("raised");
        std::fflush(stdout);
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
