#pragma once
// The name a save dialog's answer stands for. As desktop programs do, a name typed without an
// extension gets the one of the chosen file type, so that the type's filter lists the file.

#include <string>
#include <string_view>

// The extension of a name filter of one pattern: "Script Files (*.scp)" gives ".scp". A filter
// of several patterns or of any file ("All Files (*)") gives "".
std::string FilterExtension(std::string_view filter);

// `typed`, with the extension of `filter` added when its file name holds no ".".
std::string SaveFileName(std::string_view typed, std::string_view filter);
