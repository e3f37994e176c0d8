// New, Open, Save, Save as, and the question whether to save a modified collection.
#include "MBrowser/TMBForm.h"

void TMBForm::NewMainMenuClick() {}

void TMBForm::OpenMainMenuClick() {}

void TMBForm::SaveMainMenuClick() {}

void TMBForm::SaveAsMainMenuClick() {}

SaveAnswer TMBForm::AskToSave() { return SaveAnswer::No; }
