// The registry back as it was, from the record.
#ifndef UNINSTALL_UNDO_REGISTRY_H
#define UNINSTALL_UNDO_REGISTRY_H

// The mouse driver's device and class values from the record, the keys the
// installation created, and the application entries.
void UndoRegistry();

#endif
