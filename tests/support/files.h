// File and folder helpers of the tests and of WIN98PC.EXE.
#ifndef SETUP_TEST_FILES_H
#define SETUP_TEST_FILES_H

#include <string>

std::string WindowsDirectory();
std::string SystemDirectory();
bool FileExists(const std::string& path);

// Writes a text file (a SETUP.INF, a system.ini...) as it stands; false
// when it could not be written whole.
bool WriteTextFile(const std::string& path, const std::string& text);
// A file's bytes; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);

#endif
