#pragma once
// The windows' command line: one optional argument, the file to split (Carver)
// or the join-info file to start with (Mender). Every
// argument is turned into its long form, component by component, so that the
// file box shows the names as they are stored.
//
// The entry point, after QApplication has taken its own options out of argv:
//     modCarver::ParseArguments(argc, argv);
// and Form_Load, after ResetWindow:
//     txtCarverFileName->setText(QString::fromStdString(modCarver::CommandLineFileName()));
#include <string>
#include <vector>

#include "Names.h"
#include "Paths.h"

namespace modCarver {

// The arguments in their long forms; only element 0 is used.
extern std::vector<std::string> CommandArgs;

// The program's arguments as the shell split them (argv[0], the program, is
// skipped): element k of CommandArgs is LongPathOf argument k. No arguments
// leave CommandArgs empty. Never fails: an argument that cannot be resolved
// is kept as it was given.
void ParseArguments(int argc, const char* const* argv, Names& names = SystemNames());

// One command-line text holding one or several names separated by spaces. A
// text with spaces that names one existing entry as a whole is one argument;
// otherwise it is split at every space (two spaces give an empty element),
// except inside the server and share of a network path. Quotes are ordinary
// characters.
void ParseCommandLine(const std::string& text, Names& names = SystemNames());

// What the file box starts with: element 0 trimmed of spaces, or the empty
// text when there were no arguments.
std::string CommandLineFileName();

// The short form of a path (one ending in "*.*" keeps that ending); the path
// unchanged when it names nothing that exists.
std::string ShortPathOf(const std::string& path, Names& names = SystemNames());

// Every component after the drive (or after the server and share of a network
// path) replaced by its stored name. A last component missing from an existing
// folder gives the folder followed by a separator; a missing folder on the way,
// or a component whose folder cannot be searched, is kept as given.
std::string LongPathOf(const std::string& path, Names& names = SystemNames());

// folder + separator + name, with no doubled separator where they meet.
std::string JoinPathParts(const std::string& folder, const std::string& name, char separator = kPathSeparator);

}  // namespace modCarver
