// Where the program keeps its files, and every path it builds from them.
//
// - The user data folder of a device kind: $XDG_DATA_HOME/VANDREL/<folder>/
//   (XDG_DATA_HOME defaults to ~/.local/share). Each missing level is created
//   when the path is computed.
// - The default data folder: read-only templates installed with the program.
//   Looked up in this order:
//     1. the folder given to SetDefaultDataFolder (tests, command line);
//     2. the environment variable VANDREL_DATA_DIR;
//     3. ProgramDataFolder("DefaultData").
// - The program's data folders (skin/, DefaultData/, Font/): beside the
//   executable in a build tree (the build copies or links them there), in
//   "../share/vandrel/" from the executable's folder once installed; when
//   neither exists, the one beside the executable.
//
// Folders returned here always end in '/'; JoinPath puts exactly one '/'
// between a folder and a name.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::platform {

inline constexpr std::string_view kAppFolderName = "VANDREL";

// folder + '/' + name, with exactly one separator between them. An empty
// folder gives the name unchanged.
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder part of a path including its trailing '/', or "" when the path
// has no '/'.
std::string FolderOf(std::string_view path);

// True for a name that stays inside the folder it is joined to: not empty,
// at most 200 bytes, made only of letters, digits and "_-.{}", not starting
// with '.'. Profile identifiers, macro identifiers and effect file names
// read from files must pass this before they become part of a path.
bool IsPlainFileName(std::string_view name);

// True for any name that is one file in the folder it is joined to: not
// empty, at most 200 bytes, no '/' and no NUL, not starting with '.' (so
// neither "." nor ".."). Blanks and letters of every script are fine. The
// rule for profile identifiers of a list the user may have edited.
bool IsSafeFileName(std::string_view name);

// $XDG_DATA_HOME/VANDREL/ (or ~/.local/share/VANDREL/), created level by level.
// Empty when no home folder can be found or a level cannot be created.
std::string UserDataRoot();

// $XDG_CONFIG_HOME/VANDREL/ (or ~/.config/VANDREL/), created level by level:
// where remembered settings live. Empty when no home folder can be found or a
// level cannot be created.
std::string ConfigRoot();

// UserDataRoot() + folderName + '/', created. Empty when folderName is not a
// plain file name or a level cannot be created.
std::string UserDataFolder(std::string_view folderName);

// The folder of the running executable (from /proc/self/exe), ending in '/'.
std::string ExecutableFolder();

// The program's data folder of that name (see above), ending in '/'.
std::string ProgramDataFolder(std::string_view name);
// True when the program runs from a build tree: its data lies beside it.
bool RunsFromBuildTree();

// The default data folder (see the search order above), ending in '/'.
std::string DefaultDataFolder();
// Overrides the search; an empty folder restores it.
void SetDefaultDataFolder(std::string folder);

// The files of a device kind and of its profiles.
std::string DefaultTemplatePath(std::string_view kindName);                            // DefaultData/<kind>.Json
std::string DefaultLightNamesPath();                                                   // DefaultData/default_light.json
std::string ProfileListPath(std::string_view userFolder);                              // <user>/ProfileList.ini
std::string ProfileFilePath(std::string_view userFolder, std::string_view profileId);  // <user>/<id>.Json
std::string LightConfigPath(std::string_view userFolder, std::string_view configName);  // <user>/<name>.config
std::string EffectStepPath(std::string_view folder, std::string_view guid);             // <folder>/<guid>.light

}  // namespace vandrel::platform
