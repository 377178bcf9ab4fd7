#include "sensors/ActionOptions.h"

namespace kontakta {

kontakta::ActionOptionsTable actionOptions;

}  // namespace kontakta
