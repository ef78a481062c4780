#pragma once
// tolvane's keys in the section "tolvane" of Quarn.ini, with their defaults, and the placement of
// the main frame and the two tool windows that the frame reads at creation and writes at close.

#include <string>
#include <string_view>

#include "platform/profile_file.h"

inline constexpr std::string_view kTolvaneSection = "tolvane";
inline constexpr std::string_view kToolbarSection = "tolvane\\toolbar";

// Show codes of the tool windows.
inline constexpr int kShowHidden = 0;
inline constexpr int kShowNoActivate = 4;

// The editor options of the Settings dialog.
struct CEdOptions {
    int autotab = 1;
    int todo = 1;
    int maximizeclient = 1;
    int openclosehtml = 1;
    int autrefresh = 0;  // 0, 1 or 2

    bool operator==(const CEdOptions&) const = default;
};
CEdOptions ReadEdOptions(const platform::ProfileFile& file);
// Writes all five keys; false with `error` when the file cannot be written.
bool WriteEdOptions(platform::ProfileFile& file, const CEdOptions& options, std::string* error);

// One key of section "tolvane" read as an integer.
int EdSetting(const platform::ProfileFile& file, std::string_view key, int defaultValue);

struct CWindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const CWindowPlace&) const = default;
};

// Sizes are outer sizes, the window manager's frame included.

// `place` moved inside `area` as far as it fits; where it is larger, its left or top edge is the
// area's.
CWindowPlace KeptInside(const CWindowPlace& place, const CWindowPlace& area);

// The main frame on the screen's free `area`: 540 x 450, centred, unless stored. Where centring
// would leave less than `leftRoom` pixels for the tool windows left of it, it opens further right,
// as far as the screen allows.
CWindowPlace ReadFramePlace(const platform::ProfileFile& file, const CWindowPlace& area,
                            int leftRoom);

// A tool window's keys: `prefix` is "sf" (Script Functions) or "ht" (HTML Tags).
struct CToolPlace {
    CWindowPlace place;
    int showCode = kShowNoActivate;
    bool operator==(const CToolPlace&) const = default;
};
// Defaults: 120 x 222, right edge 4 pixels left of the frame, at the frame's top ("sf") or
// 226 pixels lower ("ht"). No narrower than `minWidth`. A stored show code of 1 reads as 4.
CToolPlace ReadToolPlace(const platform::ProfileFile& file, std::string_view prefix,
                         const CWindowPlace& frame, int minWidth);

// The keys written at close. Each returns false with `error` at the first key it cannot write.
bool WriteFramePlace(platform::ProfileFile& file, const CWindowPlace& frame, std::string* error);
bool WriteToolPlace(platform::ProfileFile& file, std::string_view prefix, const CToolPlace& tool,
                    std::string* error);
