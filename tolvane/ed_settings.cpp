#include "tolvane/ed_settings.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

using KeyValue = std::pair<std::string, int>;

bool WriteKeys(platform::ProfileFile& file, std::initializer_list<KeyValue> keys,
               std::string* error) {
    for (const auto& [key, value] : keys) {
        if (!file.WriteInt(kTolvaneSection, key, value, error)) return false;
    }
    return true;
}

}  // namespace

int EdSetting(const platform::ProfileFile& file, std::string_view key, int defaultValue) {
    return file.GetInt(kTolvaneSection, key, defaultValue);
}

CEdOptions ReadEdOptions(const platform::ProfileFile& file) {
    CEdOptions options;
    options.autotab = EdSetting(file, "autotab", 1);
    options.todo = EdSetting(file, "todo", 1);
    options.maximizeclient = EdSetting(file, "maximizeclient", 1);
    options.openclosehtml = EdSetting(file, "openclosehtml", 1);
    options.autrefresh = EdSetting(file, "autrefresh", 0);
    return options;
}

bool WriteEdOptions(platform::ProfileFile& file, const CEdOptions& options, std::string* error) {
    return WriteKeys(file,
                     {{"autotab", options.autotab},
                      {"todo", options.todo},
                      {"maximizeclient", options.maximizeclient},
                      {"openclosehtml", options.openclosehtml},
                      {"autrefresh", options.autrefresh}},
                     error);
}

CWindowPlace KeptInside(const CWindowPlace& place, const CWindowPlace& area) {
    CWindowPlace kept = place;
    kept.left = std::max(area.left, std::min(place.left, area.left + area.width - place.width));
    kept.top = std::max(area.top, std::min(place.top, area.top + area.height - place.height));
    return kept;
}

CWindowPlace ReadFramePlace(const platform::ProfileFile& file, const CWindowPlace& area,
                            int leftRoom) {
    CWindowPlace place;
    place.width = EdSetting(file, "windowx1", 540);
    place.height = EdSetting(file, "windowy1", 450);
    const int centred = area.left + (area.width - place.width) / 2;
    const int roomy = std::min(area.left + leftRoom, area.left + area.width - place.width);
    place.left = EdSetting(file, "windowx2", std::max(centred, roomy));
    place.top = EdSetting(file, "windowy2", area.top + (area.height - place.height) / 2);
    return place;
}

CToolPlace ReadToolPlace(const platform::ProfileFile& file, std::string_view prefix,
                         const CWindowPlace& frame, int minWidth) {
    const std::string p(prefix);
    CToolPlace tool;
    tool.place.width = std::max(minWidth, EdSetting(file, p + "windowx1", 120));
    tool.place.height = EdSetting(file, p + "windowy1", 222);
    tool.place.left = EdSetting(file, p + "windowx2", frame.left - 4 - tool.place.width);
    tool.place.top = EdSetting(file, p + "windowy2", frame.top + (p == "ht" ? 226 : 0));
    tool.showCode = EdSetting(file, p + "windowvis", kShowNoActivate);
    if (tool.showCode == 1) tool.showCode = kShowNoActivate;
    return tool;
}

bool WriteFramePlace(platform::ProfileFile& file, const CWindowPlace& frame, std::string* error) {
    return WriteKeys(file,
                     {{"windowx1", frame.width},
                      {"windowy1", frame.height},
                      {"windowx2", frame.left},
                      {"windowy2", frame.top}},
                     error);
}

bool WriteToolPlace(platform::ProfileFile& file, std::string_view prefix, const CToolPlace& tool,
                    std::string* error) {
    const std::string p(prefix);
    return WriteKeys(file,
                     {{p + "windowx1", tool.place.width},
                      {p + "windowy1", tool.place.height},
                      {p + "windowx2", tool.place.left},
                      {p + "windowy2", tool.place.top},
                      {p + "windowvis", tool.showCode}},
                     error);
}
