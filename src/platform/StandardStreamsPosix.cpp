#include "platform/StandardStreams.h"

void prepareStandardStreams()
{
    // Standard streams write bytes as they are and belong to whoever started the program.
}
