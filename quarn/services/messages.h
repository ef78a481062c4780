#pragma once
// The numbered messages of quarn ("ERROR n- text"), exactly as users see them before the program
// title is applied. One number always means one text; numbers without a text are absent.

#include <string>
#include <string_view>

// Raw table text of message `number` (the product word not yet replaced), or "" when the number
// has no text. Texts composed with a value hold "{}" where the value goes.
std::string_view MessageText(int number);

// The text of message `number` passed through ApplyProgramTitle, with `value` put in place of
// "{}" for the composed ones (ODBC diagnostic, variable or function name, path, server reply,
// detail): what a failing operation puts into its owner's message string. "" when the number has
// no text.
std::string LoadMessage(int number, std::string_view value = {});
