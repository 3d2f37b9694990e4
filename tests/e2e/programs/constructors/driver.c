/* A constructor in an object that nothing else refers to: only the
   kept constructor table brings it into the image. */
#include "registry.h"

__attribute__((constructor)) static void driver_constructor(void)
{
    record_constructor(2);
}
