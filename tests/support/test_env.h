// What the tests know of their surroundings.
#ifndef SETUP_TEST_ENV_H
#define SETUP_TEST_ENV_H

#include <string>

// The built SETUP.EXE as a Windows path (Z:\...).
std::string SetupExePath();

// A file of the build machine as a Windows path: the Unix path on drive Z:,
// which Wine maps to the root of the Unix file system.
std::string WindowsPathOf(const std::string& unixPath);

// The test executable's own directory (C:\test in the throwaway prefix),
// which the program sees as its SetupDir.
std::string TestDirectory();

// Writes a text file (a SETUP.INF, a system.ini...) as it stands.
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);

#endif
