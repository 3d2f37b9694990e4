/* Weak symbols: a strong definition replaces a weak one, a weak default
   stays when nothing replaces it, and references to weak symbols that
   nothing defines resolve to zero (linked with --undefined-weak-is-zero):
   an address compares equal to null, and a direct call is no call at all.
   A call that branched to address 0 instead would fault or restart the
   program. */
#include "semihost.h"

uint32_t board_revision(void);
uint32_t uart_count(void);
__attribute__((weak)) void trace_hook(uint32_t event);
__attribute__((weak)) extern const uint32_t calibration_table[];

static uint32_t events;

int main(void)
{
    check("strong replaces weak", board_revision(), 3);
    check("weak default", uart_count(), 1);
    check("undefined weak function is null", trace_hook == 0, 1);
    check("undefined weak data is null", calibration_table == 0, 1);
    if (trace_hook)
        trace_hook(1);
    /* Not in tail position: a branch that became a no-op would fall
       through into whatever follows. */
    trace_hook(2);
    ++events;
    check("call to undefined weak is skipped", events, 1);
    return check_result();
}
