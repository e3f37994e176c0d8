// Deleting, renaming, removing and blocking; the activity figures.
#include "MBrowser/TMBForm.h"

void TMBForm::ConnectEditingCommands() {}
