// Leak checking in the sanitizer builds of every window program (the test programs, the
// benchmarks and the program itself): what the checker is told, in one place.

// The font configuration and message bus libraries keep caches and connections for the life of
// the process; they are not leaks of ours, and the leak checker of the sanitizer builds would
// fail every window test (and every exit of the program built with it) on them. Nothing else is
// suppressed.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n";
}

// The sanitizer runtime of g++ 12 follows the dynamic thread-local blocks of libraries loaded at
// run time by watching __tls_get_addr, and guesses a block's size by a rule of the C library's
// own mappings: a block that starts 16 bytes into a page is taken to have a header in front, and
// its "size" is read from bytes that are no size (its log says "glibc >=2.19 suspected;
// tls={0x1dc9 0x800001102}"). The JPEG library behind Qt's image plugin (libjpeg-turbo, which
// keeps its SIMD choice in a thread-local) gets its block from the heap on the main thread, and
// whenever the heap's layout puts it 16 bytes into a page (for instance after Qt's warning about
// a missing XDG_RUNTIME_DIR) the leak checker scans a range of terabytes and its tracer dies with
// SIGSEGV after every test has passed. Not following those blocks keeps the leak checker on:
// heap, stacks, globals and static thread-locals are all still scanned, and the blocks skipped
// stay reachable through the C library's own table of them.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
