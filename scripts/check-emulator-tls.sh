#!/bin/bash
# Tells whether QEMU's user-mode emulator keeps each thread's thread-local descriptor for
# that thread, as Linux does. Wine loads %fs (the Windows thread's data) and %gs (the C
# library's) again from these descriptors in every signal handler; where the emulator
# keeps one table for all threads, a thread that handles a signal after another thread
# started gets that thread's data, and the program hangs or crashes (README, "The
# Windows release"). A 32-bit Linux program without a C library: the main thread sets a
# descriptor, a second thread sets its own with the same number, and the main thread
# reloads %gs and reads through it. Exit 0: each thread's own; 1: shared.
#   scripts/check-emulator-tls.sh
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/kivtls.XXXXXX")
trap 'rm -rf "$work"' EXIT
cat > "$work/tls.c" <<'C'
struct user_desc { unsigned entry, base, limit, flags; };
static int sys3(int n, int a, int b, int c) {
  int r;
  __asm__ volatile("int $0x80" : "=a"(r) : "a"(n), "b"(a), "c"(b), "d"(c) : "memory");
  return r;
}
static unsigned mainData = 0x11111111, threadData = 0x22222222;
static volatile int threadReady;
static unsigned entry = -1u;
static char threadStack[16384] __attribute__((aligned(16)));
static void SetDescriptor(void *base) {  /* set_thread_area, then load %gs with it */
  struct user_desc d = {entry, (unsigned)base, 0xfffff, 0x51};
  sys3(243, (int)&d, 0, 0);
  entry = d.entry;
  __asm__ volatile("movw %w0,%%gs" : : "r"(entry * 8 + 3));
}
static void Thread(void) {
  SetDescriptor(&threadData);
  threadReady = 1;
  for (;;) sys3(158, 0, 0, 0);  /* sched_yield */
}
void _start(void) {
  SetDescriptor(&mainData);
  void **sp = (void **)(threadStack + sizeof threadStack);
  *--sp = (void *)Thread;
  int r;  /* clone(VM|FS|FILES|SIGHAND|THREAD|SYSVSEM, sp); the new thread calls Thread */
  __asm__ volatile("int $0x80\n testl %%eax,%%eax\n jnz 1f\n popl %%eax\n call *%%eax\n1:"
                   : "=a"(r) : "a"(120), "b"(0x50f00), "c"(sp), "d"(0), "S"(0), "D"(0)
                   : "memory");
  while (!threadReady) sys3(158, 0, 0, 0);
  __asm__ volatile("movw %w0,%%gs" : : "r"(entry * 8 + 3));  /* as Wine's handlers do */
  unsigned seen;
  __asm__ volatile("movl %%gs:0,%0" : "=r"(seen));
  sys3(252, seen == mainData ? 0 : 1, 0, 0);  /* exit_group */
}
C
gcc -m32 -static -nostdlib -ffreestanding -fno-pic -fno-stack-protector -O1 \
  -o "$work/tls" "$work/tls.c"
if "$work/tls"; then
  echo "check-emulator-tls: each thread keeps its own thread-local descriptor"
else
  echo "check-emulator-tls: the threads share one thread-local descriptor: a second" \
    "thread's replaces the first one's"
  exit 1
fi
