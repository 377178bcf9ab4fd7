#include "settings/StartupValues.h"

std::u16string InstallDirectory;
std::u16string UserFilesDirectory;
int32_t UpdateCode = 0;
