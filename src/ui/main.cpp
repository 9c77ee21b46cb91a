#include "ui/kitsetup.h"

int main(int argc, char** argv)
{
    return kitsetup_main(argc, argv);
}
