// SETUP.INF as mkmedium writes it onto the medium.
#ifndef INF_CHECK_MEDIUM_SCRIPT_H
#define INF_CHECK_MEDIUM_SCRIPT_H

#include <string>

// The script as the medium gets it, CR LF line ends as on a PC: the lines as
// the author wrote them, but the disk sections replaced by diskSections where
// the first of them stood (kept as they are when diskSections is empty), and
// any [Checksums] section of the author's replaced by checksums, after all
// the others. An old section is never kept: its lines would be found first.
std::string RewriteScript(const std::string& path, const std::string& diskSections, const std::string& checksums);

#endif
