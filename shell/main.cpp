#include <cstdio>

int main() {
    std::puts("Quillmar (\xe5\xa2\xa8\xe5\xb7\x9d) - personal information manager. The main window is not built yet.");
    return 0;
}
