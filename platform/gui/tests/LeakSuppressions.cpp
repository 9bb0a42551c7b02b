// The font configuration and message bus libraries keep caches and connections for the life of
// the process; they are not leaks of ours, and the leak checker of the sanitizer builds would
// fail every window test (and every exit of the program built with it) on them. Nothing else is
// suppressed.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n";
}
