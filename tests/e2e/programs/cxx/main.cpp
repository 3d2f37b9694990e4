// C++ static objects: their constructors run from the init_array block
// before main, after the start-up code has copied initialized data (one
// constructor reads some) and cleared zero-initialized data (the
// constructor count); an object with a virtual function gets its vtable
// pointer there. Their destructors run at exit, in the reverse order of
// construction, through newlib's atexit and exit.
#include "semihost.h"

#include "shape.h"

unsigned constructed;
static unsigned seed = 17;

namespace {

class Tracer {
public:
    explicit Tracer(const char *name) : name_(name), value_(seed++)
    {
        ++constructed;
        semi_write("construct ");
        semi_write(name_);
        semi_write("\n");
    }
    ~Tracer()
    {
        semi_write("destroy ");
        semi_write(name_);
        semi_write("\n");
    }
    unsigned value() const { return value_; }

private:
    const char *name_;
    unsigned value_;
};

Tracer first("first");
Tracer second("second");

}  // namespace

int main()
{
    check("constructors before main", constructed, 4);
    check("initialized data read by constructors", first.value() + second.value(), 17 + 18);
    check("virtual call", square.area() + wide.area(), 9 + 2 * 5);
    return check_result();
}
