#include "remote/ui/remote_app.h"

#include <cstdlib>

#include "remote/remote_settings.h"
#include "remote/ui/remote_dlg.h"
#include "remote/ui/remote_message_box.h"

int CRemoteApp::InitInstance() {
    CRemoteSettingsStore settings(
        RemoteSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    CQtRemoteMessages messages;
    CRemoteDlg dialog(settings, messages);
    dialog.exec();
    return 0;
}
