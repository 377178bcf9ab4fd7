#include "sensors/ActionOptions.h"

actions::ActionOptionsTable actionOptions;
