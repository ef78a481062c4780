#pragma once
// What remote's window tests share: a recording message presenter, a settings file of the
// test's own, and screenshots.

#include <QString>
#include <string>
#include <vector>

#include "remote/remote_settings.h"
#include "remote/ui/remote_message_box.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

class QWidget;

// Records each message instead of showing it, and returns at once.
class CRecordingRemoteMessages : public IRemoteMessages {
public:
    std::vector<RemoteMessage> shown;
    void Show(QWidget* owner, const RemoteMessage& message) override;
    // Waits (handling events) until `count` messages were shown; false after 60 s.
    bool WaitForCount(std::size_t count);
};

// A settings store in a directory of the test's own.
class SettingsFixture {
public:
    SettingsFixture() : store(m_dir.File("config/Tarnby/remote.ini")) {}
    // Writes `settings`; false when that failed.
    bool Put(const RemoteSettings& settings) { return store.Save(settings) == 1; }

private:
    fixtures::TempDir m_dir{"remote_ui"};

public:
    CRemoteSettingsStore store;
};

// Clicks the main dialog's button of that control id ("1000" Run, "1006" Publish, "1007" FTP).
void ClickButton(QWidget& dialog, const char* id);

using fixtures::SaveScreenshot;
