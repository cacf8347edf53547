// Whether a path names a regular file, asked before the file is opened: opening a FIFO
// blocks for good, and a folder or a device reads as nonsense.
//
// In base/, below the sound service and the framework, so that the sound service, which knows
// nothing of the framework, asks the same question in the same words.
#pragma once

#include <string>

// Empty for a regular file (after following symbolic links); otherwise a phrase that reads
// after "the file": "does not exist", "is a folder", "is a FIFO", "is a device",
// "is a socket", "is a symbolic link loop", "cannot be examined (<reason>)".
std::string RegularFileProblem(const std::string& path);
