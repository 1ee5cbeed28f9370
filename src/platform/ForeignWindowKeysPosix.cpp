#include "platform/ForeignWindowKeys.h"

// Here the help viewer and the dialogs are Qt windows: their keys pass Qt's event filters.
void ForeignWindowKeys::watch(Handler)
{ }
