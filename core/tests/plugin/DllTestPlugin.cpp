// A plug-in with one exported function, loaded by path in the tests.
extern "C" int PluginAdd(int a, int b) {
    return a + b;
}
