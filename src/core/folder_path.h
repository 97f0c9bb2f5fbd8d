#pragma once
// Creates the folders a recovery writes into. Used by the recovery job's thread and by the
// front end before it starts a job; one caller per call (the prompter may be asked).
#include <cstddef>
#include <string>

namespace orvande {

class OperationLog;
class Prompter;

// Makes every missing folder of path ('/'-separated), outermost first. Folder names holding the
// unknown first character are fixed first as file names are (replacement character or "Broken File
// Name", asked through the prompter); path is changed in place to the names used and cut to
// capacity - 1. "Skip" sets *skipped and "Skip All" *stopped, both returning true without
// creating anything.
//
// The first keptPrefix bytes are the user's destination and taken as they stand. Below it, a
// folder that exists as a symbolic link is refused: it could lead out of the destination.
//
// A failure is reported (when report is set) to the log, or without a log in a message box of the
// prompter; the folders this call made are removed again and false is returned.
bool CreateFolderPath(std::string& path, size_t capacity, bool report, bool* skipped, bool* stopped,
                      std::string* replacement, OperationLog* log, Prompter& prompter,
                      size_t keptPrefix = 0);

}  // namespace orvande
