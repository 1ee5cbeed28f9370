// The whole set-up of a target that needs no more than the scratch folder and a core
// application.
#include "FuzzScratch.h"

extern "C" int llvmFuzzerInitialize(int *argc, char ***argv)
{
    return FuzzScratch::start(argc, argv);
}

void fuzzTeardown()
{
    FuzzScratch::stop();
}
