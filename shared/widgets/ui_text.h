#pragma once
// Bytes of the engine as text of a window, and back: UTF-8 where the bytes are valid UTF-8,
// else Latin-1.

#include <QString>
#include <string>
#include <string_view>

QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);
