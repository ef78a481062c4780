// remote: the remote-control client of quarn, a dialog that logs on to a running quarn and asks
// it to run a script, publish or upload.

#include <signal.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "remote/remote_timeout.h"
#include "remote/ui/remote_app.h"

int main(int argc, char** argv) {
    // A closed peer must fail a send, never end the program.
    ::signal(SIGPIPE, SIG_IGN);
    std::string error;
    if (!ApplyRemoteTimeoutOverride(std::getenv(kRemoteTimeoutVariable), &error))
        std::fprintf(stderr, "remote: %s\n", error.c_str());
    QApplication app(argc, argv);
    QApplication::setApplicationName("remote");
    CRemoteApp remote;
    return remote.InitInstance();
}
