#include "app/AskpassMode.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // ssh runs this program to ask for a key's passphrase: answer before anything else exists.
    mv::AskpassMode::handleIfRequested(argc, argv);

    std::puts("Marrowvale: the user interface is not built yet.");
    return 0;
}
