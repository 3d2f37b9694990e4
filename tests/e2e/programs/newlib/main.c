/* A C program on newlib's C library, started by the run-time library
   instead of newlib's crt0: formatted output through the system calls of
   runtime/newlib.c, malloc from the heap block, initialized data that
   newlib's stdio keeps (the FILE structures), string and sorting
   functions, a function registered with atexit, and the exit code from
   main's result through newlib's exit. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int counts[] = {42, 7, 19, 3, 28};
static char greeting[32] = "hello";

static int compare(const void *a, const void *b)
{
    return *(const int *)a - *(const int *)b;
}

static void goodbye(void)
{
    printf("atexit function ran\n");
}

int main(void)
{
    printf("printf: %d %u 0x%08x %s %c\n", -12345, 4000000000u, 0xbeefu, "text", 'z');
    strcat(greeting, ", newlib");
    printf("initialized data: %s (%u bytes)\n", greeting, (unsigned)strlen(greeting));

    qsort(counts, sizeof counts / sizeof counts[0], sizeof counts[0], compare);
    printf("sorted:");
    for (size_t i = 0; i < sizeof counts / sizeof counts[0]; ++i)
        printf(" %d", counts[i]);
    printf("\n");

    char *buffer = malloc(100);
    if (buffer == NULL) {
        printf("malloc failed\n");
        return 1;
    }
    snprintf(buffer, 100, "%s|%5.2s|%-4d|", "snprintf", "abc", 9);
    printf("heap: %s\n", buffer);
    free(buffer);

    long long big = 1234567890123LL;
    printf("64-bit: %lld %llx\n", big, (unsigned long long)big);
    atexit(goodbye);
    return 3;
}
