/* The system calls newlib's C library needs, on semihosting: output to
   the console for file descriptors 1 and 2, memory for malloc from the
   script's HEAP block, and the exit code. newlib's own start-up (crt0) is
   not used: the run-time library's start-up calls main and then newlib's
   exit, which runs the atexit functions (C++ destructors among them),
   flushes stdio and calls _exit. Without crt0 there are no _init and
   _fini sections either: the run-time library calls the constructor
   tables itself. */
#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "semihost.h"

extern uint8_t __HEAP_start__[], __HEAP_end__[];

/* Called by newlib around the constructor and destructor tables. */
void _init(void)
{
}

void _fini(void)
{
}

/* The identity of this image for __cxa_atexit (C++ destructors); crtbegin
   defines it in a hosted link. */
void *__dso_handle = &__dso_handle;

int _write(int file, const char *text, int length)
{
    if (file != 1 && file != 2) {
        errno = EBADF;
        return -1;
    }
    /* SYS_WRITE0 writes up to a NUL: pass the text in pieces. */
    char piece[65];
    for (int done = 0; done < length;) {
        int size = length - done < 64 ? length - done : 64;
        for (int i = 0; i < size; ++i)
            piece[i] = text[done + i];
        piece[size] = 0;
        semi_write(piece);
        done += size;
    }
    return length;
}

void *_sbrk(ptrdiff_t increment)
{
    static uint8_t *top = __HEAP_start__;
    if (increment > __HEAP_end__ - top) {
        errno = ENOMEM;
        return (void *)-1;
    }
    uint8_t *previous = top;
    top += increment;
    return previous;
}

void _exit(int code)
{
    semi_exit(code);
}

int _read(int file, char *buffer, int length)
{
    (void)file, (void)buffer, (void)length;
    return 0;
}

int _close(int file)
{
    (void)file;
    return -1;
}

int _fstat(int file, struct stat *status)
{
    (void)file;
    status->st_mode = S_IFCHR;
    return 0;
}

int _isatty(int file)
{
    (void)file;
    return 1;
}

int _lseek(int file, int offset, int whence)
{
    (void)file, (void)offset, (void)whence;
    return 0;
}

int _kill(int pid, int signal)
{
    (void)pid, (void)signal;
    errno = EINVAL;
    return -1;
}

int _getpid(void)
{
    return 1;
}
