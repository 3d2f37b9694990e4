/* The three decoders of packed initialization data, as static inline
   functions so that each init routine is one small function and so that
   the host's unit tests can include this header and check them against
   the linker's encoders.

   LZSS: a control byte K: 0 ends the stream; 1-0x7F copies the next K
   bytes; 0x80-0xFF copies K-0x80 bytes from D bytes back in the output,
   where D is one byte below 0x80, else two bytes (high seven bits first).
   PackBits: a signed header H: 0..127 copies H+1 bytes; -1..-127 repeats
   the next byte 1-H times; -128 ends the stream.
   ZPAK: a flag byte for each eight output bytes, bit 0 first; a set bit is
   a zero byte, a clear bit takes the next data byte; the caller gives the
   unpacked size, the stream has no end marker.

   What is subtle: matches copy one byte at a time, because a match may
   overlap the bytes it produces (distance 1 repeats the last byte), so the
   copy must never become a block move. The literal and match copies share
   one loop, and so do the PackBits literal and repeat runs; that keeps the
   routines small, which counts, since the linker weighs the size of a
   routine against the bytes its packing saves. */
#ifndef TANREK_RT_UNPACK_H
#define TANREK_RT_UNPACK_H

#include <stdint.h>

static inline void tanrek_unpack_lzss(uint8_t *dst, const uint8_t *src)
{
    for (;;) {
        uint32_t count = *src++;
        const uint8_t *from;
        if (count == 0)
            return;
        if (count & 0x80) {
            uint32_t distance = *src++;
            if (distance & 0x80)
                distance = ((distance & 0x7F) << 8) | *src++;
            from = dst - distance;
            count -= 0x80;
        } else {
            from = src;
            src += count;
        }
        while (count--)
            *dst++ = *from++;
    }
}

static inline void tanrek_unpack_packbits(uint8_t *dst, const uint8_t *src)
{
    for (;;) {
        int32_t header = (int8_t)*src++;
        uint32_t count, step;
        if (header == -128)
            return;
        /* A literal run reads a new byte for every output byte, a repeat
           run reads its one byte again and again. */
        if (header >= 0) {
            count = (uint32_t)header + 1;
            step = 1;
        } else {
            count = 1 - (uint32_t)header;
            step = 0;
        }
        while (count--) {
            *dst++ = *src;
            src += step;
        }
        src += step ^ 1;
    }
}

static inline void tanrek_unpack_zpak(uint8_t *dst, const uint8_t *src, uint32_t size)
{
    uint32_t flags = 0;
    for (uint32_t i = 0; i < size; ++i) {
        uint8_t value = 0;
        if ((i & 7) == 0)
            flags = *src++;
        if (!(flags & 1))
            value = *src++;
        dst[i] = value;
        flags >>= 1;
    }
}

#endif
