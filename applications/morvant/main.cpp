// Placeholder entry point until the converter's window lands.
#include <cstdio>

int main(int, char**)
{
    std::printf("Morvant show converter %s\n", MORVANT_VERSION);
    return 0;
}
