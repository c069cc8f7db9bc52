/* The binary encoding chosen the standard way: the option's value points to
 * the string. */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtString format = "binary";
    RtColor red = {1, 0, 0};

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiOption("rib", "format", &format, RI_NULL);
    RiBegin(argv[1]);
    RiWorldBegin();
    RiColor(red);
    RiWorldEnd();
    RiEnd();
    return 0;
}
