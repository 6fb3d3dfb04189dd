// Stand-ins for windows and areas that are not built yet (see WindowFactories.h).
// Delete a stand-in here when its real factory or installer exists.
// (Every window and area has its real factory now.)
#include "WindowFactories.h"
