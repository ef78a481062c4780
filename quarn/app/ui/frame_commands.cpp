#include "quarn/app/ui/frame_commands.h"

namespace {

using namespace frame_command;
constexpr CommandEnable kAlways = CommandEnable::kAlways;
constexpr CommandEnable kIdle = CommandEnable::kIdle;
constexpr CommandEnable kNever = CommandEnable::kNever;

constexpr FrameCommand kCommands[] = {
    {kOpenRunScript, "Open/&Run Script", "Ctrl+Shift+R", "Open and run a script file", "Run script",
     kIdle},
    {kOpenEditScript, "Open/&Edit Script", "Ctrl+Shift+E", "Open a script file in the editor",
     "Edit script", kIdle},
    {kEditOutputFiles, "Edit Output &Files", "", "Edit the project's output files", "Output files",
     kIdle},
    {kOpenDatabase, "Open/Edit D&atabase", "Ctrl+D", "Open the project's database", "Open database",
     kIdle},
    {kExit, "E&xit", "", "Quit the application", "Exit", kAlways},
    {kPreview, "Preview &Web Site", "Ctrl+H", "Preview the web site in the browser",
     "Preview web site", kIdle},
    {kPublish, "&Publish", "Ctrl+P", "Publish project", "Publish!", kIdle},
    {kUploadChanged, "&Changed Files Only", "", "Upload the files changed since the last upload",
     "Changed files only", kIdle},
    {kUploadAllOutput, "&All Output Files", "", "Upload every output file", "All output files",
     kIdle},
    {kUploadDirectory, "All Files In &Directory", "", "Upload every file in the HTML directory",
     "All files in directory", kIdle},
    {kResetUpload, "Reset Project &Upload Status", "", "Mark every output file for upload",
     "Reset upload status", kIdle},
    {kProjectSettings, "P&roject Settings", "Ctrl+S", "Change the project's settings",
     "Project settings", kIdle},
    {kShowMainBar, "Show Main &Toolbar", "", "Show or hide the main toolbar", "Main toolbar",
     kAlways},
    {kShowProjectBar, "Show &Project Toolbar", "", "Show or hide the project toolbar",
     "Project toolbar", kAlways},
    {kShowStatusBar, "Show &Status Bar", "", "Show or hide the status bar", "Status bar", kAlways},
    {kShowScripts, "Show Project Scripts Window", "", "Show or hide the Project Scripts window",
     "Project scripts", kAlways},
    {kListOutput, "View &Scripter List Output", "Ctrl+L", "View the script's list output",
     "List output", kIdle},
    {kEventLog, "System Event &Log", "", "View the system event log", "Event log", kIdle},
    {kWizard, "Script &Wizard", "Ctrl+W", "Create a script with the wizard", "Script wizard",
     kIdle},
    {kTolvane, "&Tolvane", "", "Start the script editor", "Tolvane", kIdle},
    {kClearError, "Clear Status &Error Flag", "Ctrl+F", "Clear the error flag of the status bar",
     "Clear error flag", kAlways},
    {kProgramSettings, "&Program Settings", "", "Change the program's settings", "Program settings",
     kIdle},
    {kHelpTopics, "&Help Topics", "", "List Help topics", "Help Topics", kNever},
    {kContextHelp, "Help", "", "Display help for clicked on buttons, menus and windows", "Help",
     kNever},
    {kNewProject, "New project", "", "Create a new project", "New project", kIdle},
    {kDeleteProject, "Delete project", "", "Delete the selected project", "Delete project", kIdle},
    {kCancel, "Cancel", "", "Cancel current operation", "Cancel", kAlways},
    {kFtp, "FTP files to server", "", "FTP files to server", "FTP files to server", kIdle},
    {kProjectCombo, "Select active Project", "", "Select active Project", "Select active Project",
     kIdle},
};

}  // namespace

std::span<const FrameCommand> FrameCommands() {
    return kCommands;
}

const FrameCommand* FindFrameCommand(int id) {
    for (const FrameCommand& command : kCommands) {
        if (command.id == id) return &command;
    }
    return nullptr;
}
