// C++ exceptions on the target: libgcc's unwinder finds each frame's
// entry in the exception index that the linker put together (between
// __exidx_start and __exidx_end, sorted by code address, gaps filled with
// cannot-unwind entries) and libstdc++'s personality routine runs the
// handlers and the destructors. Checks a throw caught three frames up with
// the guards of the frames between destroyed innermost first, a catch by
// base class, a rethrow, std::bad_alloc from the library's operator new,
// and, last, an exception that leaves a noexcept function: that ends in
// std::terminate, whose handler here ends the run with the checks' result.
#include <exception>
#include <new>

#include "errors.h"
#include "semihost.h"

namespace {

// Set just before the noexcept call; a terminate before it is a failure.
bool terminateExpected;
uint32_t escapedCaughtInside;

void OnTerminate()
{
    if (!terminateExpected) {
        semi_write("FAIL unexpected terminate\n");
        semi_exit(90);
    }
    // The exception that escaped is the handler's current exception.
    uint32_t escaped = 0;
    try {
        throw;
    } catch (const Error &error) {
        escaped = error.code();
    } catch (...) {
    }
    check("terminate after an exception left a noexcept function", escaped, 0xE5C);
    check("the noexcept function caught the first exception itself", escapedCaughtInside, 0xC0DE);
    semi_exit(check_result());
}

// Catches one exception itself, then lets a second one escape, which
// noexcept turns into std::terminate.
__attribute__((noinline)) void Escape(uint32_t first, uint32_t second) noexcept
{
    const Error *seen = nullptr;
    try {
        RethrowThroughCatch(first, &seen);
    } catch (const Error &error) {
        escapedCaughtInside = error.code();
    }
    RethrowThroughCatch(second, &seen);
}

void ThreeFramesUp()
{
    uint32_t code = 0, device = 0, kind = 0, returned = 0;
    try {
        returned = ThrowThreeDeep(0x1234, 40);
    } catch (const DeviceError &error) {
        code = error.code();
        device = error.device();
        kind = error.kind();
    }
    check("throw caught three frames up", code, 0x1234);
    check("value carried in the exception", device, 42);
    check("dynamic type of the exception", kind, 2);
    check("nothing after the throw ran", pastThrow + returned, 0);
    unwound[unwoundCount] = 0;
    check("guards destroyed innermost first",
          unwoundCount == 3 && unwound[0] == '3' && unwound[1] == '2' && unwound[2] == '1', 1);
}

void CatchByBase()
{
    uint32_t kind = 0, code = 0;
    try {
        ThrowThreeDeep(0x77, 0);
    } catch (const Error &error) {
        kind = error.kind();
        code = error.code();
    }
    check("caught by base class", kind, 2);
    check("value through the base class", code, 0x77);
}

void Rethrow()
{
    const Error *inside = nullptr;
    const Error *outside = nullptr;
    uint32_t code = 0;
    try {
        RethrowThroughCatch(0xBEEF, &inside);
    } catch (const Error &error) {
        outside = &error;
        code = error.code();
    }
    check("rethrown exception caught", code, 0xBEEF);
    check("rethrow keeps the same object", outside != nullptr && outside == inside, 1);
}

// A request the heap cannot meet: libstdc++'s operator new throws
// std::bad_alloc from library code.
char *volatile bigBlock;

void BadAlloc()
{
    volatile uint32_t size = 0x100000;
    uint32_t caught = 0;
    try {
        bigBlock = new char[size];
    } catch (const std::bad_alloc &) {
        caught = 1;
    }
    check("std::bad_alloc from operator new", caught, 1);
}

}  // namespace

int main()
{
    std::set_terminate(OnTerminate);
    ThreeFramesUp();
    CatchByBase();
    Rethrow();
    BadAlloc();
    // noexcept must stop the exception in Escape's frame: this handler
    // would catch it if the unwinder went past. The call goes through a
    // pointer that may throw, so that the compiler keeps the handler.
    void (*volatile escape)(uint32_t, uint32_t) = Escape;
    terminateExpected = true;
    try {
        escape(0xC0DE, 0xE5C);
    } catch (...) {
        terminateExpected = false;
    }
    semi_write("FAIL an exception left a noexcept function without terminate\n");
    return 99;
}
