#pragma once
// The remote users file "passwords.txt" of the program directory, as the remote-control server
// reads it: one user a line, the user name, one blank and the password. Lines are compared whole
// and byte for byte, without their line end (CR LF, LF or a lone trailing CR).

#include <string>
#include <string_view>

inline constexpr std::string_view kRemoteUsersFile = "passwords.txt";

enum class RemoteLogon {
    kNoFile,      // the file cannot be opened
    kReadFailed,  // it was opened but could not be read
    kRefused,     // no line is the user name, a blank and the password
    kFirstUser,   // the first line matched
    kUser,        // a later line matched
};

// Looks for the line `user` + " " + `password` in the file at `path`.
RemoteLogon CheckRemoteUser(const std::string& path, std::string_view user,
                            std::string_view password);
