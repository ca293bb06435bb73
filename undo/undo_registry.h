// The registry back as it was, from the record.
#ifndef UNDO_UNDO_REGISTRY_H
#define UNDO_UNDO_REGISTRY_H

// The mouse driver's device and class values from the record, the keys the
// installation created, and, when applicationEntries says so, the
// application entries. Of a whole installation the record names the
// mouse's settings; a run that stopped may not have come so far.
void UndoRegistry(bool applicationEntries, bool wholeInstallation);

#endif
