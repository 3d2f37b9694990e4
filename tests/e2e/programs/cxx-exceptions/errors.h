// The exceptions the program throws, and the call chains in frames.cpp
// that throw them from another object than the one that catches.
#ifndef CXX_EXCEPTIONS_ERRORS_H
#define CXX_EXCEPTIONS_ERRORS_H

#include <stdint.h>

class Error {
public:
    explicit Error(uint32_t code) : code_(code) {}
    virtual ~Error() = default;
    virtual uint32_t kind() const { return 1; }
    uint32_t code() const { return code_; }

private:
    uint32_t code_;
};

class DeviceError : public Error {
public:
    DeviceError(uint32_t code, uint32_t device) : Error(code), device_(device) {}
    uint32_t kind() const override { return 2; }
    uint32_t device() const { return device_; }

private:
    uint32_t device_;
};

// The order in which the guards of the frames below were destroyed, one
// digit per frame, innermost first ("321"), and how far each chain got
// past its throw (nothing should).
extern char unwound[8];
extern unsigned unwoundCount;
extern unsigned pastThrow;

// outer -> middle -> inner, which throws DeviceError(code, device); each
// frame has a guard whose destructor must run while the exception passes.
uint32_t ThrowThreeDeep(uint32_t code, uint32_t device);

// Throws Error(code) through a frame that catches it, records it and
// rethrows it unchanged.
void RethrowThroughCatch(uint32_t code, const Error **seen);

#endif
