// What the tests know of their surroundings.
#ifndef SETUP_TEST_ENV_H
#define SETUP_TEST_ENV_H

#include <string>

#include "tests/support/files.h"

// The built SETUP.EXE as a Windows path (Z:\...).
std::string SetupExePath();

// A file of the build machine as a Windows path: the Unix path on drive Z:,
// which Wine maps to the root of the Unix file system.
std::string WindowsPathOf(const std::string& unixPath);

// The test executable's own directory (C:\test in the throwaway prefix),
// which the program sees as its SetupDir.
std::string TestDirectory();

// Runs a program and waits for it (a minute at most); its exit code, or
// 0xDEAD when it could not be started or did not end. With outputPath its
// standard output and error go to that file.
unsigned long RunProgram(std::string commandLine, const std::string& outputPath = "");

// Copies a folder and everything below it (a medium, a disk).
void CopyTree(const std::string& from, const std::string& to);

#endif
