// File and folder helpers of the tests and of WIN98PC.EXE.
#ifndef SETUP_TEST_FILES_H
#define SETUP_TEST_FILES_H

#include <string>
#include <vector>

std::string WindowsDirectory();
std::string SystemDirectory();
bool FileExists(const std::string& path);

// Writes a text file (a SETUP.INF, a system.ini...) as it stands; false
// when it could not be written whole.
bool WriteTextFile(const std::string& path, const std::string& text);
// A file's bytes; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);

// The record an installation keeps in folder (SETUP.REC, lines of
// "[Section] key=value"): the first value of key in section, or "<none>";
// the keys of a section, each once, in the order first recorded; and a line
// added to it.
std::string RecordedIn(const std::string& folder, const std::string& section, const std::string& key);
std::vector<std::string> RecordedKeysIn(const std::string& folder, const std::string& section);
void AddToRecord(const std::string& folder, const std::string& section, const std::string& key,
                 const std::string& value);

#endif
