#include "shared/widgets/bar_state.h"

#include <QByteArray>

namespace {

constexpr std::string_view kKey = "barstate";

}  // namespace

bool SaveBarState(const QMainWindow& frame, platform::ProfileFile& file, std::string_view section,
                  std::string* error) {
    const QByteArray state = frame.saveState().toBase64();
    return file.WriteString(section, kKey, std::string_view(state.constData(), state.size()),
                            error);
}

bool LoadBarState(QMainWindow& frame, const platform::ProfileFile& file, std::string_view section) {
    const std::string saved = file.GetString(section, kKey, "");
    if (saved.empty()) return false;
    return frame.restoreState(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
}
