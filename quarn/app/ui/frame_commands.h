#pragma once
// The main window's commands: id (the action's object name), menu text, shortcut, status-bar
// prompt and tooltip, and when each is enabled.

#include <span>
#include <string_view>

namespace frame_command {
inline constexpr int kOpenRunScript = 32782;
inline constexpr int kOpenEditScript = 32779;
inline constexpr int kEditOutputFiles = 32794;
inline constexpr int kOpenDatabase = 32796;
inline constexpr int kExit = 32792;
inline constexpr int kPreview = 32784;
inline constexpr int kPublish = 32780;
inline constexpr int kUploadChanged = 32798;
inline constexpr int kUploadAllOutput = 32797;
inline constexpr int kUploadDirectory = 32799;
inline constexpr int kResetUpload = 32800;
inline constexpr int kProjectSettings = 32791;
inline constexpr int kShowMainBar = 32808;
inline constexpr int kShowProjectBar = 59392;
inline constexpr int kShowStatusBar = 59393;
inline constexpr int kShowScripts = 32841;
inline constexpr int kListOutput = 32785;
inline constexpr int kEventLog = 32786;
inline constexpr int kWizard = 32777;
inline constexpr int kTolvane = 32840;
inline constexpr int kClearError = 32793;
inline constexpr int kProgramSettings = 32809;
inline constexpr int kHelpTopics = 57667;
inline constexpr int kContextHelp = 57669;
inline constexpr int kNewProject = 32806;
inline constexpr int kDeleteProject = 32807;
inline constexpr int kCancel = 32813;
inline constexpr int kFtp = 32816;
inline constexpr int kProjectCombo = 32832;
}  // namespace frame_command

// When a command can be chosen.
enum class CommandEnable {
    kAlways,
    kIdle,
    // Shown, never enabled: the help commands (no help file is installed on Linux).
    kNever,
};

struct FrameCommand {
    int id;
    std::string_view text;      // menu text with its mnemonic, or the button's name
    std::string_view shortcut;  // "" for none
    std::string_view prompt;    // status-bar prompt
    std::string_view tip;       // tooltip
    CommandEnable enable;
};

// Every command of the menus and toolbars, in menu order.
std::span<const FrameCommand> FrameCommands();
const FrameCommand* FindFrameCommand(int id);
