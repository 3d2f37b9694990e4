/* Weak defaults, as a board support package ships them: the application
   may define its own. */
#include <stdint.h>

__attribute__((weak)) uint32_t board_revision(void)
{
    return 1;
}

__attribute__((weak)) uint32_t uart_count(void)
{
    return 1;
}
