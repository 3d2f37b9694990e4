// The throwing side: frames with objects that must be destroyed while an
// exception passes through them, and a handler that rethrows. Kept apart
// from main.cpp so that the thrower's index entries and the catcher's come
// from different objects (and land apart in the linked index).
#include "errors.h"

char unwound[8];
unsigned unwoundCount;
unsigned pastThrow;

namespace {

class Guard {
public:
    explicit Guard(char digit) : digit_(digit) {}
    ~Guard()
    {
        if (unwoundCount < sizeof unwound - 1)
            unwound[unwoundCount++] = digit_;
    }

private:
    char digit_;
};

// Not inlined, so each level is a frame of its own that the unwinder must
// step through with the level's own unwinding instructions.
__attribute__((noinline)) uint32_t Inner(uint32_t code, uint32_t device)
{
    Guard guard('3');
    if (code != 0)
        throw DeviceError(code, device);
    return device;
}

__attribute__((noinline)) uint32_t Middle(uint32_t code, uint32_t device)
{
    Guard guard('2');
    uint32_t result = Inner(code, device + 1);
    ++pastThrow;
    return result;
}

}  // namespace

__attribute__((noinline)) uint32_t ThrowThreeDeep(uint32_t code, uint32_t device)
{
    Guard guard('1');
    uint32_t result = Middle(code, device + 1);
    ++pastThrow;
    return result;
}

void RethrowThroughCatch(uint32_t code, const Error **seen)
{
    try {
        throw Error(code);
    } catch (const Error &error) {
        *seen = &error;
        throw;
    }
}
