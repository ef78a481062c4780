#include "quarn/app/ui/instance_watch.h"

#include "quarn/app/ui/main_frame.h"

std::unique_ptr<QSocketNotifier> BringForwardOnRequest(platform::InstanceChannel& channel,
                                                       CMainFrame& frame) {
    auto watch = std::make_unique<QSocketNotifier>(channel.Descriptor(), QSocketNotifier::Read);
    QObject::connect(watch.get(), &QSocketNotifier::activated, &frame, [&channel, &frame] {
        if (channel.TakeRequests() > 0) frame.BringToFront();
    });
    return watch;
}
