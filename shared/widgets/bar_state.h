#pragma once
// The layout of a main window's bars (which are shown, where they are docked or float), kept in
// a section of a private-profile file so that windows come back as the user left them.

#include <QMainWindow>
#include <string>
#include <string_view>

#include "platform/profile_file.h"

// Writes the layout of `frame`'s bars as the key "barstate" of `section`. False with `error` when
// the file cannot be written.
bool SaveBarState(const QMainWindow& frame, platform::ProfileFile& file, std::string_view section,
                  std::string* error = nullptr);
// Applies the layout saved in `section`; false (and nothing changes) when none is saved or it
// does not fit this window.
bool LoadBarState(QMainWindow& frame, const platform::ProfileFile& file, std::string_view section);
