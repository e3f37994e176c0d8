// Header sorting, search, on-screen scrambling and copying.
#include "MBrowser/TMBForm.h"

void TMBForm::ConnectBrowsingCommands() {}
