#pragma once
// The main window's side of the instance channel: a later start's request brings the window to
// the front. GUI thread only.

#include <QSocketNotifier>
#include <memory>

#include "platform/instance_channel.h"

class CMainFrame;

// Watches `channel`, which must listen and outlive the watcher, as does `frame`.
std::unique_ptr<QSocketNotifier> BringForwardOnRequest(platform::InstanceChannel& channel,
                                                       CMainFrame& frame);
