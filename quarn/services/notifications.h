#pragma once
// quarn's private messages and the codes workers post with them.

#include "platform/message_queue.h"

constexpr unsigned WM_TASKCMD = platform::WM_USER + 100;
constexpr unsigned WM_TRAYNOTIFY = platform::WM_USER + 101;
constexpr unsigned WM_FRAMENOTIFY = platform::WM_USER + 102;
constexpr unsigned WM_SVRRESULT = platform::WM_USER + 103;

// wParam of WM_FRAMENOTIFY.
enum FrameNotifyCode : unsigned {
    FRAME_STATUS_TEXT = 3,
    FRAME_ERROR = 4,
    FRAME_BUSY = 5,
    FRAME_IDLE = 6,
    FRAME_CLEAR_VIEW = 7,
    FRAME_HIDE_TO_TRAY = 8,
    FRAME_PROGRESS_OPEN = 9,
    FRAME_PROGRESS_CLOSE = 10,
    FRAME_PROGRESS_UPDATE = 11,
    FRAME_SELECT_PROJECT = 14,
};
