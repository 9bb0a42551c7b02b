// quillmar_rc OUTPUT.cpp SCRIPT.rc...: converts resource scripts into C++ tables.
#include "RcScript.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: quillmar_rc OUTPUT.cpp SCRIPT.rc...\n";
        return 2;
    }
    rc::Script script;
    try {
        for (int i = 2; i < argc; ++i)
            rc::ParseFile(argv[i], script);
    } catch (const rc::RcError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    // Written to a temporary name first, so a failed run never leaves half a file behind.
    std::string out = argv[1], tmp = out + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f << rc::EmitCpp(script);
        if (!f) {
            std::cerr << tmp << ": error: cannot write\n";
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), out.c_str()) != 0) {
        std::cerr << out << ": error: cannot write\n";
        return 1;
    }
    return 0;
}
