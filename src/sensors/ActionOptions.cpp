#include "sensors/ActionOptions.h"

kontakta::ActionOptionsTable actionOptions;
