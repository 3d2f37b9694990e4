/* Unwind tables with a personality routine: a cleanup runs when the
   callee unwinds. */
extern void may_throw(int *);
extern void release(int *);

static void cleanup(int *p) { release(p); }

int guarded(int n) {
  int value __attribute__((cleanup(cleanup))) = n;
  may_throw(&value);
  return value + 1;
}

int plain(int n) { return guarded(n) * 2; }
