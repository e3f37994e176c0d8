// The options dialog's commands.
#include "MBrowser/TMBForm.h"

void TMBForm::ConnectOptionsCommands() {}
