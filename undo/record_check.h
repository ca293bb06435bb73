// The record of the installation is read before anything is removed, and
// the uninstaller acts only on a record that names nothing but what an
// installation of this package can have made: files inside the folders the
// installation recorded (or exactly the package's own destinations in the
// Windows, SYSTEM and INF folders), folders that are no system folder nor
// above one, and registry keys only where the package writes. A record
// edited or damaged to name anything else is refused whole.
#ifndef UNDO_RECORD_CHECK_H
#define UNDO_RECORD_CHECK_H

#include "shell/fixed_text.h"

// Whether the record (the journal of a run taken up, else the
// installation folder's) holds anything at all.
bool RecordPresent();

// True when every line of the record is one an installation can have
// written; else the first that is not, as "[Section] key=value".
bool RecordIsSound(FixedText<600>& offending);

#endif
