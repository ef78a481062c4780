#pragma once
// remote's start: the settings where the environment keeps them, then the main dialog, run
// modally until it closes. Needs the QApplication made first.

class CRemoteApp {
public:
    // The program's exit status.
    int InitInstance();
};
