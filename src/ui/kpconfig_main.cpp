#include "ui/kitsetup.h"

int main(int argc, char** argv)
{
    return kpconfig_main(argc, argv);
}
