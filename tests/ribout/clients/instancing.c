/* One object defined once and placed three times. */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtObjectHandle post;
    int i;

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiBegin(argv[1]);
    post = RiObjectBegin();
    RiCylinder(0.1f, 0, 1, 360, RI_NULL);
    RiDisk(1, 0.1f, 360, RI_NULL);
    RiObjectEnd();
    RiWorldBegin();
    for (i = 0; i < 3; ++i) {
        RiTransformBegin();
        RiTranslate((RtFloat)i, 0, 0);
        RiObjectInstance(post);
        RiTransformEnd();
    }
    RiWorldEnd();
    RiEnd();
    return 0;
}
