// A program start as the tests see it:
//   single_instance_helper MODE RUNTIME_FOLDER TIMEOUT_MS [ARGUMENTS...]
// prints "role first", "role handed-over" or "role alone". As the first instance in mode
// "serve" it prints each command line handed over ("arg <text>" lines, then "received") and
// then, like a handler busy with a modal window, waits for a line on standard input before it
// ends. In mode "hang" the first instance never runs its event loop: it waits for a line on
// standard input and ends.

#include "single_instance.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

const char* RoleName(TInstanceRole role) {
    switch (role) {
    case TInstanceRole::First:
        return "first";
    case TInstanceRole::HandedOver:
        return "handed-over";
    case TInstanceRole::Alone:
        return "alone";
    }
    return "?";
}

void WaitForInputLine() {
    std::string line;
    std::getline(std::cin, line);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments();
    if (arguments.size() < 4) return 2;
    const QString mode = arguments[1];
    TSingleInstance instance(arguments[2]);
    const std::chrono::milliseconds timeout(arguments[3].toInt());
    const TInstanceRole role = instance.Start(arguments.mid(4), timeout);
    std::printf("role %s\n", RoleName(role));
    std::fflush(stdout);
    if (role != TInstanceRole::First) return 0;
    if (mode == "hang") {
        WaitForInputLine();
        return 0;
    }
    instance.OnInstanceStarted = [&](const QStringList& received) {
        for (const QString& argument : received) std::printf("arg %s\n", qPrintable(argument));
        std::printf("received\n");
        std::fflush(stdout);
        WaitForInputLine();
        application.quit();
    };
    return application.exec();
}
