#pragma once
// The command interpreter of the simulated Windows, for the batch files the
// install engine writes: nothing else ever runs. It understands
//   ERASE path          deletes a file (a missing one is no error)
//   DELTREE /Y path     deletes a directory with everything in it, or a file
//   MOVE from to        moves a file, replacing the destination; into a
//                       directory when "to" is one
// with command words in any case, paths in double quotes or bare, and 8.3
// names resolved by the root's file layer. Every path must be a full path
// of the root ("X:\..." or "\\server\share\..."). A line naming anything
// else (another command, a drive root, a relative path, "..", wildcards, a
// path the file layer refuses because it leads out of the root) is refused
// and skipped; the other lines still run. Symbolic links met by DELTREE are
// removed, never followed.
#include <string>
#include <vector>

namespace platform {

struct BatchReport {
    std::vector<std::string> done;     // the lines carried out, as written
    std::vector<std::string> failed;   // "line (why)": understood, but the file system said no
    std::vector<std::string> refused;  // "line (why)": not run at all

    bool Clean() const { return failed.empty() && refused.empty(); }
};

// Runs a batch file of the current system root, line by line. The whole
// file is read first, so a batch may erase itself.
BatchReport RunBatchFile(const std::string& batchPath);

// The words of a command line: blanks separate, a double-quoted stretch
// belongs to its word and loses its quotes (an open quote runs to the end).
std::vector<std::string> SplitCommandLine(const std::string& line);

// Runs the lines of a batch text (CR LF, LF or CR line ends).
BatchReport RunBatchText(const std::string& text);

}  // namespace platform
