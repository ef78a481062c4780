#include "quarn/app/browse_start_folder.h"

std::string BrowseStartFolder(std::string_view folder) {
    const std::size_t end = folder.find_last_not_of(" \t\r\n\v\f");
    folder = end == std::string_view::npos ? std::string_view() : folder.substr(0, end + 1);
    if (folder.size() > 1 && (folder.ends_with('\\') || folder.ends_with('/')))
        folder.remove_suffix(1);
    return std::string(folder);
}
