/* Constructors from three objects run once each before main: their table
   is kept although nothing refers to it, holds the code addresses (with
   the Thumb bit where the code is Thumb), and its bounds reach the
   start-up code through the block symbols. */
#include "registry.h"
#include "semihost.h"

static uint32_t main_constructor_runs;

__attribute__((constructor)) static void main_constructor(void)
{
    ++main_constructor_runs;
    record_constructor(4);
}

int main(void)
{
    check("every constructor ran", constructors_seen, 7);
    check("each ran once", constructor_calls, 3);
    check("before main", main_constructor_runs, 1);
    return check_result();
}
