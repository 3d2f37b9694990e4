/* The application's own definition, which replaces the weak default. */
#include <stdint.h>

uint32_t board_revision(void)
{
    return 3;
}
