// A dynamically initialized object and a reference bound to another one.
#include "shape.h"

Rectangle square(3, 3);
static Rectangle wide_rectangle(2, 5);
const Shape &wide = wide_rectangle;
